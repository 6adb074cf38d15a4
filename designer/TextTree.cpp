#include <orvanespt/designer/TextTree.h>

#include <algorithm>
#include <utility>

#include <orvanespt/platform/Text.h>

namespace orvane::designer {

class TextTree::Node : public TreeNode {
public:
    Node(const TextTree* owner, std::string key, std::string text, std::optional<int> image)
        : owner_(owner), key_(std::move(key)), text_(std::move(text)), image_(image) {}

    std::string Text() const override { return text_; }
    void Text(const std::string& text) override { text_ = text; }
    std::string Key() const override { return key_; }
    std::optional<int> Image() const override { return image_; }
    std::shared_ptr<TreeNode> Parent() const override { return parent_.lock(); }

    const TextTree* owner_;
    std::string key_;
    std::string text_;
    std::optional<int> image_;
    std::weak_ptr<Node> parent_;
    std::vector<std::shared_ptr<Node>> children_;
};

namespace {

using NodePtr = std::shared_ptr<TextTree::Node>;

// A text on one line: CR and LF become visible escapes.
void AppendOneLine(std::string& out, const std::string& s) {
    for (char c : s) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
}

// Detaches every node below the given ones without recursion, so that a very
// deep tree is released without exhausting the stack.
void Dismantle(std::vector<NodePtr> pending) {
    while (!pending.empty()) {
        NodePtr n = std::move(pending.back());
        pending.pop_back();
        for (auto& child : n->children_) pending.push_back(std::move(child));
        n->children_.clear();
        n->parent_.reset();
        n->owner_ = nullptr;
    }
}

}  // namespace

TextTree::~TextTree() {
    Clear();
}

std::shared_ptr<TextTree::Node> TextTree::Own(const std::shared_ptr<TreeNode>& node) const {
    auto n = std::dynamic_pointer_cast<Node>(node);
    if (!n || n->owner_ != this) throw TreeError(TreeError::Kind::BadRelative, "el nodo no pertenece a este árbol");
    return n;
}

std::vector<std::shared_ptr<TextTree::Node>>& TextTree::SiblingsOf(const Node& node) {
    auto parent = node.parent_.lock();
    return parent ? parent->children_ : top_;
}

std::shared_ptr<TreeNode> TextTree::Add(const std::shared_ptr<TreeNode>& relative, int relationship,
                                        const std::optional<std::string>& key, const std::string& text,
                                        std::optional<int> image) {
    if (relationship < tvwFirst || relationship > tvwChild) {
        throw TreeError(TreeError::Kind::BadRelationship, "relación de nodos desconocida: " + std::to_string(relationship));
    }
    NodePtr rel = relative ? Own(relative) : nullptr;
    const std::string k = key.value_or("");
    if (!k.empty() && byKey_.count(k) != 0) {
        throw TreeError(TreeError::Kind::DuplicateKey, "la clave \"" + k + "\" ya está en el árbol");
    }
    auto n = std::make_shared<Node>(this, k, text, image);
    if (!rel) {
        top_.push_back(n);
    } else if (relationship == tvwChild) {
        n->parent_ = rel;
        rel->children_.push_back(n);
    } else {
        n->parent_ = rel->parent_;
        auto& siblings = SiblingsOf(*rel);
        auto at = std::find(siblings.begin(), siblings.end(), rel);
        if (relationship == tvwFirst) at = siblings.begin();
        if (relationship == tvwLast) at = siblings.end();
        if (relationship == tvwNext) ++at;
        siblings.insert(at, n);
    }
    if (!k.empty()) byKey_[k] = n;
    ++count_;
    return n;
}

void TextTree::Clear() {
    Dismantle(std::move(top_));
    top_.clear();
    byKey_.clear();
    selected_.reset();
    count_ = 0;
}

std::shared_ptr<TreeNode> TextTree::Item(const std::string& key) const {
    auto it = byKey_.find(key);
    return it == byKey_.end() ? nullptr : it->second.lock();
}

std::shared_ptr<TreeNode> TextTree::SelectedItem() const {
    auto n = selected_.lock();
    return n && n->owner_ == this ? n : nullptr;
}

void TextTree::SelectedItem(const std::shared_ptr<TreeNode>& node) {
    selected_ = node ? Own(node) : nullptr;
}

std::string TextTree::Print() const {
    std::string out;
    std::vector<std::pair<const Node*, int>> pending;  // node, depth; top of stack printed next
    for (auto it = top_.rbegin(); it != top_.rend(); ++it) pending.emplace_back(it->get(), 0);
    while (!pending.empty()) {
        auto [n, depth] = pending.back();
        pending.pop_back();
        out.append(static_cast<std::size_t>(depth) * 2, ' ');
        AppendOneLine(out, n->text_);
        if (!n->key_.empty()) {
            out += " [";
            AppendOneLine(out, n->key_);
            out += ']';
        }
        out += '\n';
        for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it)
            pending.emplace_back(it->get(), depth + 1);
    }
    return out;
}

}  // namespace orvane::designer
