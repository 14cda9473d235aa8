#include "render/layout_pass.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "render/field_rules.h"
#include "render/fetch_ahead.h"
#include "render/first_group.h"
#include "render/fonts.h"
#include "render/input_attributes.h"
#include "render/receipt_image.h"
#include "render/text_wrap.h"

namespace kestrane {

using KVTGDIPRINTING_LOGIC::NodeA;
using KVTGDIPRINTING_LOGIC::NodeList;

namespace {

constexpr int32_t kFullWidth = 550;
constexpr int32_t kBarcodeHeight = 170;

// Heights add up without overflowing: a section too tall to print is refused by its caller.
int32_t saturatingSum(int32_t a, int32_t b) {
    const int64_t sum = int64_t{a} + b;
    return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(sum, INT32_MIN), INT32_MAX));
}

void advanceCursor(JobContext& job, int32_t by) {
    job.layoutCursor = saturatingSum(job.layoutCursor, by);
}

// Grows the row to hold a block `height` pixels tall.
void holdBlock(NodeA* row, int32_t height) {
    if (int64_t{row->box.bottom} - row->box.top < height) {
        row->box.bottom = saturatingSum(row->box.top, height);
    }
}

void measureFields(JobContext& job, NodeA* row, const NodeA* cell, const FieldRules& rules) {
    for (const auto& variable : cell->variables) {
        if (variable.first == "img") {
            row->box.top = job.layoutCursor;
            advanceCursor(job, receiptImageHeight(job, resolveImagePath(job, variable.second)));
        } else if (variable.first == "input") {
            auto attributes = parseInputAttributes(variable.second);
            if (attributes.size() <= 2 || attributes["value"].empty()) continue;
            const std::string& name = attributes["name"];
            const bool fiscal = rules.fiscalQrName != nullptr && name == rules.fiscalQrName;
            if (name == rules.barcodeName) {
                row->box.top = job.layoutCursor;
                advanceCursor(job, kBarcodeHeight);
            } else if (name == rules.qrName || fiscal) {
                row->box.top = job.layoutCursor;
                advanceCursor(job, rules.qrHeight);
            }
        }
    }
}

void measureSingleCell(JobContext& job, NodeA* row, NodeA* cell, const FieldRules& rules) {
    if (!cell->variables.empty()) {
        measureFields(job, row, cell, rules);
        return;
    }
    std::optional<Rect> box;
    if (!cell->text.empty()) {
        box = wrapText(kFullWidth, LargeFont(), 28, cell->text);
    } else if (cell->children.empty()) {
        cell->text = " ";
        box = wrapText(kFullWidth, LargeFont(), 28, cell->text);
    } else if (firstGroupName(cell) == "center") {
        NodeA* centre = firstOf(cell);
        if (!centre->text.empty()) {
            box = wrapText(kFullWidth, LargeFont(), 28, centre->text);
        } else if (!centre->variables.empty()) {
            if (centre->variables.begin()->first != "img") return;
            const std::string path = resolveImagePath(job, centre->variables.begin()->second);
            row->box.top = job.layoutCursor;
            advanceCursor(job, receiptImageHeight(job, path));
            return;
        } else if (!centre->children.empty()) {
            box = wrapText(kFullWidth, SmallBoldFont(), 24, firstOf(centre)->text);
        }
    }
    if (!box) return;
    holdBlock(row, box->bottom);
    advanceCursor(job, box->bottom);
}

// The text node and font of one cell of a three-cell row, or nothing for a cell that takes no
// column.
bool chooseCellText(NodeA* cell, NodeA*& textNode, const Font*& font) {
    font = SmallFont();
    textNode = cell;
    if (!cell->text.empty()) return true;
    if (cell->children.empty()) {
        cell->text = " ";
        return true;
    }
    const std::string& group = firstGroupName(cell);
    NodeA* first = firstOf(cell);
    font = SmallBoldFont();
    if (group == "center") {
        if (first->children.empty()) {
            cell->text = " ";
            return true;
        }
        NodeA* inner = firstOf(first);
        if (inner->text.empty()) inner->text = " ";
        textNode = inner;
        return firstGroupName(first) == "strong";
    }
    if (group == "strong") {
        if (first->text.empty()) first->text = " ";
        textNode = first;
        return true;
    }
    return false;
}

void measureThreeCells(JobContext& job, NodeA* row, const NodeList& cells,
                       const FieldRules& rules) {
    int column = 0;
    bool measured = false;
    for (NodeA* cell : cells) {
        if (column == 3) break;
        NodeA* textNode = nullptr;
        const Font* font = nullptr;
        if (!chooseCellText(cell, textNode, font)) continue;
        const auto box = wrapText(rules.cellWidths[column], font, 24, textNode->text);
        holdBlock(row, box->bottom);
        measured = true;
        ++column;
    }
    if (measured) advanceCursor(job, row->box.bottom - row->box.top);
}

void measureRow(JobContext& job, NodeA* row, const FieldRules& rules) {
    row->box.top = job.layoutCursor;
    if (row->children.empty() || firstGroupName(row) != "td") return;
    const NodeList& cells = row->children.begin()->second;
    if (cells.size() >= 3) {
        measureThreeCells(job, row, cells, rules);
    } else {
        measureSingleCell(job, row, cells.front(), rules);
    }
}

}  // namespace

int32_t measureNode(JobContext& job, NodeA* node, Variant variant) {
    const FieldRules& rules = fieldRules(variant);
    struct Task {
        NodeA* node;
        bool inTable;  // a child of a table's rows: measured as a row when it is a "tr"
    };
    // Tasks run in the order a depth-first walk would reach them; the job's measureEnteredTable
    // is read when a node is reached, as the walk would. So is a node's name, not when it is
    // queued: the rows of a long receipt are queued long before they are reached.
    std::vector<Task> tasks{{node, false}};
    while (!tasks.empty()) {
        const Task task = tasks.back();
        tasks.pop_back();
        if (!tasks.empty()) fetchAhead(tasks.back().node);
        if (task.inTable && task.node->name == "tr") {
            measureRow(job, task.node, rules);
            continue;
        }
        if (task.node->children.empty()) continue;
        const auto& group = *task.node->children.begin();
        const bool descend =
            task.node->name != "table" && !job.measureEnteredTable && group.first != "table";
        if (descend && !group.second.empty()) {
            for (auto it = group.second.rbegin(); it != group.second.rend(); ++it) {
                tasks.push_back({*it, false});
            }
            continue;
        }
        job.measureEnteredTable = true;
        for (auto it = group.second.rbegin(); it != group.second.rend(); ++it) {
            tasks.push_back({*it, true});
        }
    }
    return job.layoutCursor;
}

}  // namespace kestrane
