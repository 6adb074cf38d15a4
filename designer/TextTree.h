// TextTree: a tree control kept in memory and printed as text, one node per
// line. The command-line host shows report definitions with it, and tests use
// it to compare whole trees as text.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <orvanespt/designer/TreeControl.h>

namespace orvane::designer {

class TextTree : public TreeControl, private TreeNodes {
public:
    TextTree() = default;
    ~TextTree() override;
    TextTree(const TextTree&) = delete;
    TextTree& operator=(const TextTree&) = delete;

    TreeNodes& Nodes() override { return *this; }
    std::shared_ptr<TreeNode> SelectedItem() const override;
    // Throws TreeError (BadRelative) for a node of another tree.
    void SelectedItem(const std::shared_ptr<TreeNode>& node) override;

    // Every node in display order, one line each: two blanks per level of
    // depth, the text, and when the node has a key one blank and the key in
    // square brackets; each line ends with "\n". A CR or LF inside a text or
    // key is shown as the two characters "\r" or "\n", so a node never spans
    // two lines. Images are not shown.
    std::string Print() const;

    class Node;

private:
    std::shared_ptr<TreeNode> Add(const std::shared_ptr<TreeNode>& relative, int relationship,
                                  const std::optional<std::string>& key, const std::string& text,
                                  std::optional<int> image) override;
    void Clear() override;
    int Count() const override { return count_; }
    std::shared_ptr<TreeNode> Item(const std::string& key) const override;

    std::shared_ptr<Node> Own(const std::shared_ptr<TreeNode>& node) const;
    std::vector<std::shared_ptr<Node>>& SiblingsOf(const Node& node);

    std::vector<std::shared_ptr<Node>> top_;
    std::map<std::string, std::weak_ptr<Node>> byKey_;  // keys compared exactly: "Prm_Desde" and "Prm_desde" are two nodes
    std::weak_ptr<Node> selected_;
    int count_ = 0;
};

}  // namespace orvane::designer
