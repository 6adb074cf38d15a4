// TreeControl: the tree control with keyed nodes that the designer fills
// with a report definition. The host supplies an implementation (the text
// tree of the command-line host, the desktop tree widget); the designer only
// uses the operations declared here. Unlike the rest of the library, a tree
// control reports a rejected node by throwing TreeError, and callers that
// build trees let it reach their own caller.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace orvane::designer {

// Where Add puts the new node relative to the given node.
enum TreeRelationship : int {
    tvwFirst = 0,     // first sibling of the relative
    tvwLast = 1,      // last sibling of the relative
    tvwNext = 2,      // sibling right after the relative
    tvwPrevious = 3,  // sibling right before the relative
    tvwChild = 4,     // last child of the relative
};

// A node the tree control rejected.
class TreeError : public std::runtime_error {
public:
    enum class Kind {
        DuplicateKey,     // the key is already in the tree
        BadRelative,      // the relative node does not belong to this tree
        BadRelationship,  // not one of the TreeRelationship values
        BadImage,         // the image index is not in the control's image list
    };
    TreeError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

class TreeNode {
public:
    virtual ~TreeNode() = default;
    virtual std::string Text() const = 0;
    virtual void Text(const std::string& text) = 0;
    // "" for a node added without a key.
    virtual std::string Key() const = 0;
    // nullopt for a node added without an image.
    virtual std::optional<int> Image() const = 0;
    // The parent node; null for a top-level node or a node no longer in the tree.
    virtual std::shared_ptr<TreeNode> Parent() const = 0;
};

class TreeNodes {
public:
    virtual ~TreeNodes() = default;
    // Adds a node and returns it. A null relative adds a top-level node
    // whatever the relationship. An empty or absent key means no key. Whether
    // keys compare ignoring case is the control's own: the text tree ignores
    // case, the designer window's compares exactly.
    // Throws TreeError for a key already in the tree, a relative from another
    // tree, an unknown relationship or an image the control cannot show; the
    // tree is then unchanged.
    virtual std::shared_ptr<TreeNode> Add(const std::shared_ptr<TreeNode>& relative, int relationship,
                                          const std::optional<std::string>& key, const std::string& text,
                                          std::optional<int> image = std::nullopt) = 0;
    // Removes every node; nodes handed out before no longer have a parent.
    virtual void Clear() = 0;
    // Number of nodes at all levels.
    virtual int Count() const = 0;
    // The node with that key, or null.
    virtual std::shared_ptr<TreeNode> Item(const std::string& key) const = 0;
};

class TreeControl {
public:
    virtual ~TreeControl() = default;
    virtual TreeNodes& Nodes() = 0;
    // The selected node, or null when none is.
    virtual std::shared_ptr<TreeNode> SelectedItem() const = 0;
    // Selects a node of this tree; null clears the selection.
    virtual void SelectedItem(const std::shared_ptr<TreeNode>& node) = 0;
};

}  // namespace orvane::designer
