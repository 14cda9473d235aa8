#include "markup/parser.h"

#include <vector>

#include "markup/text_ops.h"

namespace kestrane {

using KVTGDIPRINTING_LOGIC::NodeA;

const char kErrorNodeName[] = "Error";
const char kUnmatchedContainers[] = "Not all XML Containers are matched properly";

namespace {

constexpr auto npos = std::string::npos;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

void lowerRange(std::string& text, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to && i < text.size(); ++i) text[i] = lowerAscii(text[i]);
}

NodeA* errorNode(bool unmatched) {
    auto* node = new NodeA;
    node->name = kErrorNodeName;
    if (unmatched) node->setVariable("error", kUnmatchedContainers);
    return node;
}

// Stores name="value" pairs of `piece` on `target`. Only double-quoted values count; a value
// runs to the first quote followed by a blank, or else to the first quote followed by ">".
void readAttributes(const std::string& piece, NodeA* target) {
    std::size_t at = 0;
    for (;;) {
        const std::size_t equals = piece.find("=\"", at);
        if (equals == npos || equals == at) return;
        const std::string key = piece.substr(at, equals - at);
        const std::size_t open = equals + 2;
        const std::size_t close = piece.find("\" ", open);
        if (close != npos) {
            target->setAttribute(key, piece.substr(open, close - open));
            at = close + 2;
            continue;
        }
        const std::size_t last = piece.find("\">", open);
        target->setAttribute(key, last != npos ? piece.substr(open, last - open)
                                               : piece.substr(equals));
        return;
    }
}

class Parser {
public:
    explicit Parser(Variant variant) : variant_(variant) {
        root_ = new NodeA;
        stack_.push_back(root_);
        current_ = root_;
    }

    bool open() const { return !stack_.empty(); }

    // Returns false when the token rejects the whole layout.
    bool take(std::string& token) {
        trimTokenEnd(token);
        if (token[0] == '/') {
            endTag(token);
        } else if (token.back() == '>') {
            return startTag(token);
        } else {
            textToken(token);
        }
        return true;
    }

    ParseResult finish(bool rejected) {
        if (!rejected && stack_.empty()) return {root_, false};
        root_->destroy();
        return {errorNode(!rejected), true};
    }

private:
    bool startTag(std::string& token) {
        if (token == ">") return false;
        if (variant_ == Variant::Previewer) {
            const std::size_t gt = token.find('>');
            if (gt >= 2) lowerRange(token, 0, gt);
        }
        const std::size_t space = token.find(' ');
        const bool selfContained = (token.size() >= 2 && token[token.size() - 2] == '/') ||
                                   startsWith(token, "img") || startsWith(token, "input");
        if (space == 0) return true;
        if (selfContained) {
            if (space != npos) {
                current_->setVariable(token.substr(0, space), token.substr(space + 1));
            } else {
                current_->setVariable(token.substr(0, token.size() - 1), std::string());
            }
            return true;
        }
        NodeA* top = stack_.back();
        const bool isRoot = top->name.empty();
        NodeA* node = isRoot ? top : NodeA::makeUnder(root_);
        current_ = node;
        node->name = space != npos ? token.substr(0, space) : token.substr(0, token.size() - 1);
        if (!isRoot) {
            top->addChild(node);
            if (node->name != top->name) stack_.push_back(node);
        }
        if (space != npos) readAttributes(token.substr(space + 1), current_);
        return true;
    }

    void endTag(const std::string& token) {
        std::string name = token.size() >= 2 ? token.substr(1, token.size() - 2) : std::string();
        if (variant_ == Variant::Previewer) name = toLower(name);
        if (name != current_->name) return;
        stack_.pop_back();
        if (!stack_.empty()) current_ = stack_.back();
    }

    void textToken(const std::string& token) {
        const std::size_t space = token.find(' ');
        const std::size_t gt = token.find('>');
        if (space == 0) return;
        std::string name;
        if (space != npos && gt != npos && space < gt) {
            name = token.substr(0, space);
            if (variant_ == Variant::AddOn) readAttributes(token.substr(space + 1, gt), current_);
        } else if (gt != npos && gt > 0) {
            name = token.substr(0, gt);
            if (variant_ == Variant::Previewer) name = toLower(name);
        } else {
            return;
        }
        auto* leaf = NodeA::makeUnder(root_);
        leaf->name = name;
        leaf->setText(token.substr(gt + 1));
        stack_.back()->addChild(leaf);
    }

    Variant variant_;
    NodeA* root_;
    NodeA* current_;
    std::vector<NodeA*> stack_;
};

}  // namespace

void trimTokenEnd(std::string& token) {
    std::size_t end = token.size();
    while (end > 1 && isBlank(token[end - 1])) --end;
    token.resize(end);
}

ParseResult parseMarkup(std::string text, Variant variant) {
    const std::size_t nul = text.find('\0');
    if (nul != npos) text.resize(nul);
    const std::size_t declarationEnd = text.find("?>");
    if (declarationEnd != npos) text.erase(0, declarationEnd + 2);

    Parser parser(variant);
    bool rejected = false;
    std::size_t pos = 0;
    while (pos < text.size() && parser.open() && !rejected) {
        std::size_t end = text.find('<', pos);
        if (end == npos) end = text.size();
        if (end > pos) {
            std::string token = text.substr(pos, end - pos);
            rejected = !parser.take(token);
        }
        pos = end + 1;
    }
    return parser.finish(rejected);
}

}  // namespace kestrane
