// QtTreeControl: the tree control of the designer window, a QTreeWidget with
// keyed nodes and an image list. Keys compare exactly, as the item names a
// definition may hold ("Desde" and "desde" are two parameters). Image 0 means "no picture" so a tree filled
// with the display settings at their initial value still shows; any other
// image must be in the list. StandardImages() gives a picture for every
// icon setting of OrvaneUI, from the style's standard icons.
#pragma once

#include <QIcon>
#include <QList>
#include <map>
#include <memory>
#include <string>

#include <orvanespt/designer/OrvaneUI.h>
#include <orvanespt/designer/TreeControl.h>

class QTreeWidget;
class QTreeWidgetItem;

namespace orvane::designer {

class QtTreeControl : public TreeControl, private TreeNodes {
public:
    // Fills widget, which must outlive the control.
    explicit QtTreeControl(QTreeWidget* widget);
    ~QtTreeControl() override;
    QtTreeControl(const QtTreeControl&) = delete;
    QtTreeControl& operator=(const QtTreeControl&) = delete;

    TreeNodes& Nodes() override { return *this; }
    std::shared_ptr<TreeNode> SelectedItem() const override;
    // Throws TreeError (BadRelative) for a node of another tree.
    void SelectedItem(const std::shared_ptr<TreeNode>& node) override;

    // With keep set, a node whose key is already in the tree is added with
    // that key instead of refused, and Item finds the first one: a window
    // that tells items apart by their node's place shows every item.
    void KeepRepeatedKeys(bool keep) { keepRepeated_ = keep; }
    // The image list: image i (from 1) is images[i - 1].
    void SetImageList(QList<QIcon> images) { images_ = std::move(images); }
    // The node shown by item, or null.
    std::shared_ptr<TreeNode> NodeOf(const QTreeWidgetItem* item) const;
    QTreeWidget* Widget() const { return widget_; }

    class Node;

private:
    std::shared_ptr<TreeNode> Add(const std::shared_ptr<TreeNode>& relative, int relationship,
                                  const std::optional<std::string>& key, const std::string& text,
                                  std::optional<int> image) override;
    void Clear() override;
    int Count() const override { return static_cast<int>(nodes_.size()); }
    std::shared_ptr<TreeNode> Item(const std::string& key) const override;
    std::shared_ptr<Node> Own(const std::shared_ptr<TreeNode>& node) const;
    void Place(QTreeWidgetItem* item, const std::shared_ptr<Node>& relative, int relationship);

    QTreeWidget* widget_;
    QList<QIcon> images_;
    std::map<const QTreeWidgetItem*, std::shared_ptr<Node>> nodes_;
    std::map<std::string, std::weak_ptr<Node>> byKey_;
    bool keepRepeated_ = false;
};

// The images of StandardImages(), in the order SetStandardIcons numbers them.
QList<QIcon> StandardImages();
// Sets every icon setting of ui to its picture in StandardImages().
void SetStandardIcons(OrvaneUI& ui);

}  // namespace orvane::designer
