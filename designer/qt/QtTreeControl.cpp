#include <orvanespt/designer/qt/QtTreeControl.h>

#include <QApplication>
#include <QStyle>
#include <QTreeWidget>


namespace orvane::designer {

class QtTreeControl::Node : public TreeNode {
public:
    Node(const QtTreeControl* owner, QTreeWidgetItem* item, std::string key, std::optional<int> image)
        : owner_(owner), item_(item), key_(std::move(key)), image_(image) {}
    std::string Text() const override { return item_ ? item_->text(0).toStdString() : text_; }
    void Text(const std::string& text) override {
        text_ = text;
        if (item_) item_->setText(0, QString::fromStdString(text));
    }
    std::string Key() const override { return key_; }
    std::optional<int> Image() const override { return image_; }
    std::shared_ptr<TreeNode> Parent() const override {
        return item_ && owner_ ? owner_->NodeOf(item_->parent()) : nullptr;
    }
    // Called when the tree is cleared: the node keeps its text, loses its place.
    void Detach() {
        if (item_) text_ = item_->text(0).toStdString();
        item_ = nullptr;
        owner_ = nullptr;
    }
    QTreeWidgetItem* item() const { return item_; }
    const QtTreeControl* owner() const { return owner_; }

private:
    const QtTreeControl* owner_;
    QTreeWidgetItem* item_;
    std::string key_;
    std::optional<int> image_;
    std::string text_;
};

QtTreeControl::QtTreeControl(QTreeWidget* widget) : widget_(widget) {}

QtTreeControl::~QtTreeControl() {
    for (auto& [item, node] : nodes_) node->Detach();
}

std::shared_ptr<TreeNode> QtTreeControl::NodeOf(const QTreeWidgetItem* item) const {
    auto found = nodes_.find(item);
    return found == nodes_.end() ? nullptr : found->second;
}

std::shared_ptr<QtTreeControl::Node> QtTreeControl::Own(const std::shared_ptr<TreeNode>& node) const {
    auto own = std::dynamic_pointer_cast<Node>(node);
    if (!own || own->owner() != this || !own->item())
        throw TreeError(TreeError::Kind::BadRelative, "el nodo no pertenece a este árbol");
    return own;
}

void QtTreeControl::Place(QTreeWidgetItem* item, const std::shared_ptr<Node>& relative, int relationship) {
    if (!relative) {
        widget_->addTopLevelItem(item);
        return;
    }
    QTreeWidgetItem* rel = relative->item();
    if (relationship == tvwChild) {
        rel->addChild(item);
        return;
    }
    QTreeWidgetItem* parent = rel->parent();
    const int at = parent ? parent->indexOfChild(rel) : widget_->indexOfTopLevelItem(rel);
    const int count = parent ? parent->childCount() : widget_->topLevelItemCount();
    const int index = relationship == tvwFirst ? 0 : relationship == tvwLast ? count
                                                 : relationship == tvwNext  ? at + 1
                                                                            : at;
    if (parent)
        parent->insertChild(index, item);
    else
        widget_->insertTopLevelItem(index, item);
}

std::shared_ptr<TreeNode> QtTreeControl::Add(const std::shared_ptr<TreeNode>& relative, int relationship,
                                             const std::optional<std::string>& key, const std::string& text,
                                             std::optional<int> image) {
    const std::string k = key.value_or("");
    const bool repeated = !k.empty() && byKey_.count(k);
    if (repeated && !keepRepeated_)
        throw TreeError(TreeError::Kind::DuplicateKey, "la clave ya está en el árbol: " + k);
    auto rel = relative ? Own(relative) : nullptr;
    if (relationship < tvwFirst || relationship > tvwChild)
        throw TreeError(TreeError::Kind::BadRelationship, "relación desconocida: " + std::to_string(relationship));
    const bool picture = image && *image != 0;
    if (picture && (*image < 1 || *image > images_.size()))
        throw TreeError(TreeError::Kind::BadImage, "la lista de imágenes no tiene la imagen " + std::to_string(*image));
    auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(text)});
    if (picture) item->setIcon(0, images_.at(*image - 1));
    Place(item, rel, relationship);
    auto node = std::make_shared<Node>(this, item, k, image);
    nodes_[item] = node;
    if (!k.empty() && !repeated) byKey_[k] = node;
    return node;
}

void QtTreeControl::Clear() {
    for (auto& [item, node] : nodes_) node->Detach();
    nodes_.clear();
    byKey_.clear();
    widget_->clear();
}

std::shared_ptr<TreeNode> QtTreeControl::Item(const std::string& key) const {
    auto found = byKey_.find(key);
    return found == byKey_.end() ? nullptr : found->second.lock();
}

std::shared_ptr<TreeNode> QtTreeControl::SelectedItem() const { return NodeOf(widget_->currentItem()); }

void QtTreeControl::SelectedItem(const std::shared_ptr<TreeNode>& node) {
    if (!node) {
        widget_->setCurrentItem(nullptr);
        return;
    }
    widget_->setCurrentItem(Own(node)->item());
}

QList<QIcon> StandardImages() {
    QStyle* style = QApplication::style();
    auto icon = [style](QStyle::StandardPixmap p) { return style->standardIcon(p); };
    return {
        icon(QStyle::SP_ComputerIcon),             // 1 report
        icon(QStyle::SP_DirIcon),                  // 2 group
        icon(QStyle::SP_DriveNetIcon),             // 3 connection
        icon(QStyle::SP_FileDialogListView),       // 4 record source
        icon(QStyle::SP_FileDialogInfoView),       // 5 parameter
        icon(QStyle::SP_TitleBarNormalButton),     // 6 dialog
        icon(QStyle::SP_FileDialogDetailedView),   // 7 print format
        icon(QStyle::SP_FileIcon),                 // 8 picture
        icon(QStyle::SP_FileDialogContentsView),   // 9 text
        icon(QStyle::SP_CommandLink),              // 10 script code
        icon(QStyle::SP_DialogApplyButton),        // 11 control
    };
}

void SetStandardIcons(OrvaneUI& ui) {
    ui.IconOrvane = 1;
    ui.IconeConnections = ui.IconeParameters = ui.IconeDialogs = ui.IconePrnFormats = ui.IconeResDataCol = 2;
    ui.IconeRSources = ui.IconeControls = 2;
    ui.IconeConnection = 3;
    ui.IconeRSource = 4;
    ui.IconeParameter = 5;
    ui.IconeDialog = 6;
    ui.IconePrnFormat = 7;
    ui.IconePicResData = 8;
    ui.IconeTxtResData = 9;
    ui.IconSctriptCode = 10;
    ui.IconeControl = 11;
}

}  // namespace orvane::designer
