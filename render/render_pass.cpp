#include "render/render_pass.h"

#include <map>
#include <vector>

#include "markup/replacement_scan.h"
#include "render/code39.h"
#include "render/field_rules.h"
#include "render/fetch_ahead.h"
#include "render/first_group.h"
#include "render/fonts.h"
#include "render/input_attributes.h"
#include "render/qr_symbol.h"
#include "render/receipt_image.h"

namespace kestrane {

using KVTGDIPRINTING_LOGIC::NodeA;
using KVTGDIPRINTING_LOGIC::NodeList;

namespace {

using Groups = KVTGDIPRINTING_LOGIC::ChildGroups;

struct Column {
    int32_t left;
    int32_t right;
};

// The previewer's third column starts inside its second.
constexpr Column kAddOnColumns[3] = {{10, 278}, {278, 302}, {302, 560}};
constexpr Column kPreviewerColumns[3] = {{10, 273}, {273, 297}, {287, 550}};
constexpr int32_t kFullLeft = 10;
constexpr int32_t kFullRight = 550;


void drawIn(Canvas& canvas, const Font* font, const std::string& text, Rect rect, unsigned format) {
    selectFont(canvas, font);
    drawText(canvas, text, rect, format);
}

void drawFields(JobContext& job, Canvas& canvas, const NodeA* row, const NodeA* cell,
                const FieldRules& rules) {
    const int32_t top = row->box.top;
    for (const auto& variable : cell->variables) {
        if (variable.first == "img") {
            if (rules.variant == Variant::AddOn && variable.second == "barcodeMatrix") continue;
            drawReceiptImage(job, canvas, 0, top, resolveImagePath(job, variable.second));
        } else if (variable.first == "input") {
            auto attributes = parseInputAttributes(variable.second);
            if (attributes.size() <= 2 || attributes["value"].empty()) continue;
            const std::string& name = attributes["name"];
            const std::string& value = attributes["value"];
            if (name == rules.barcodeName) {
                selectFont(canvas, CaptionFont());
                drawBarcodeField(canvas, top, value);
            } else if (name == rules.qrName) {
                const int32_t area = rules.variant == Variant::AddOn ? 200 : 168;
                drawQrSymbol(value, canvas, top, {8, 201, area, area});
            } else if (rules.fiscalQrName != nullptr && name == rules.fiscalQrName) {
                drawQrSymbol(value, canvas, top, fiscalQrPlacement(value.size()));
            }
        }
    }
}

void drawSingleCell(JobContext& job, Canvas& canvas, const NodeA* row, const NodeA* cell,
                    const FieldRules& rules) {
    const Rect full{kFullLeft, row->box.top, kFullRight, row->box.bottom};
    if (!cell->variables.empty()) {
        drawFields(job, canvas, row, cell, rules);
    } else if (!cell->text.empty()) {
        if (cell->text == kRuleMarker) {
            moveTo(canvas, kFullLeft, row->box.top + 10);
            lineTo(canvas, kFullRight, row->box.top + 10);
        } else {
            drawIn(canvas, LargeFont(), cell->text, full, kWordBreak);
        }
    } else if (!cell->children.empty() && firstGroupName(cell) == "center") {
        const NodeA* centre = firstOf(cell);
        if (!centre->text.empty()) {
            drawIn(canvas, LargeFont(), centre->text, full, kAlignCenter);
        } else if (!centre->variables.empty() && centre->variables.begin()->first == "img") {
            drawReceiptImage(job, canvas, 0, row->box.top,
                             resolveImagePath(job, centre->variables.begin()->second));
        } else if (!centre->children.empty()) {
            drawIn(canvas, SmallBoldFont(), firstOf(centre)->text, full, kAlignCenter);
        }
    }
}

// Draws one cell of a three-cell row in `column`; false when the cell draws nothing and so
// leaves the column to the next cell.
bool drawCell(Canvas& canvas, NodeA* row, const NodeA* cell, int column, const FieldRules& rules) {
    const bool addOn = rules.variant == Variant::AddOn;
    const Column& x = (addOn ? kAddOnColumns : kPreviewerColumns)[column];
    const Rect rect{x.left, row->box.top, x.right, row->box.bottom};
    const auto rightIn = [&](NodeA* holder) -> unsigned {
        return (addOn && column == 2 && holder->getAttribute("align") == "right") ? unsigned{kAlignRight} : 0u;
    };
    if (!cell->text.empty()) {
        drawIn(canvas, SmallFont(), cell->text, rect, kWordBreak | rightIn(row));
        return true;
    }
    if (cell->children.empty()) return false;
    NodeA* first = firstOf(cell);
    if (firstGroupName(cell) == "center") {
        if (first->children.empty()) {
            drawIn(canvas, SmallFont(), cell->text, rect, kWordBreak | kAlignCenter);
            return true;
        }
        if (firstGroupName(first) != "strong") return false;
        drawIn(canvas, SmallBoldFont(), firstOf(first)->text, rect, kWordBreak | rightIn(row));
        return true;
    }
    if (firstGroupName(cell) == "strong") {
        drawIn(canvas, SmallBoldFont(), first->text, rect, kWordBreak | rightIn(first->parent));
        return true;
    }
    return false;
}

void drawRow(JobContext& job, Canvas& canvas, NodeA* row, const FieldRules& rules) {
    if (row->children.empty() || firstGroupName(row) != "td") return;
    const NodeList& cells = row->children.begin()->second;
    if (cells.size() < 3) {
        drawSingleCell(job, canvas, row, cells.front(), rules);
        return;
    }
    int column = 0;
    for (const NodeA* cell : cells) {
        if (column == 3) break;
        if (drawCell(canvas, row, cell, column, rules)) ++column;
    }
}

}  // namespace

void renderNode(JobContext& job, Canvas& canvas, NodeA* node, Variant variant) {
    const FieldRules& rules = fieldRules(variant);
    // Tasks run in the order a depth-first walk would reach them. A node's later groups are
    // looked at only after its earlier groups were drawn, since drawing them may set the flag.
    // A table's child is told a row by its name when it is reached, not when it is queued: the
    // rows of a long receipt are queued long before they are reached.
    struct Task {
        enum Kind { kVisit, kGroups, kInTable } kind;
        NodeA* node;
        Groups::iterator group;
    };
    std::vector<Task> tasks{{Task::kVisit, node, {}}};
    while (!tasks.empty()) {
        const Task task = tasks.back();
        tasks.pop_back();
        if (!tasks.empty()) fetchAhead(tasks.back().node);
        NodeA* current = task.node;
        if (task.kind == Task::kInTable && current->name == "tr") {
            drawRow(job, canvas, current, rules);
            continue;
        }
        if (task.kind != Task::kGroups) {
            if (!current->children.empty()) {
                tasks.push_back({Task::kGroups, current, current->children.begin()});
            }
            continue;
        }
        if (task.group == current->children.end()) continue;
        auto group = task.group;
        const bool rows = current->name == "table" || job.renderEnteredTable ||
                          group->first == "table" || group->second.empty();
        if (!rows) {
            tasks.push_back({Task::kGroups, current, std::next(group)});
            for (auto it = group->second.rbegin(); it != group->second.rend(); ++it) {
                tasks.push_back({Task::kVisit, *it, {}});
            }
            continue;
        }
        if (current->name == "table") group = current->children.begin();
        job.renderEnteredTable = true;
        for (auto it = group->second.rbegin(); it != group->second.rend(); ++it) {
            tasks.push_back({Task::kInTable, *it, {}});
        }
    }
}

}  // namespace kestrane
