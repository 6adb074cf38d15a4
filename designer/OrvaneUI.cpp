#include <orvanespt/designer/OrvaneUI.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <orvanespt/model/Orvane.h>
#include <orvanespt/model/RSourceWalk.h>
#include <orvanespt/platform/NumberFormat.h>

namespace orvane {

namespace {

using designer::TreeControl;
using designer::TreeNode;
using NodePtr = std::shared_ptr<TreeNode>;

// Collections are walked with a 16-bit counter, as the hosts' own trees are.
constexpr int kMaxWalk = 32767;

template <typename T>
int WalkCount(const std::shared_ptr<Collection<T>>& col) {
    return col ? std::min(col->Count(), kMaxWalk) : 0;
}

// Property values in the text form a tree control shows them in.
std::string Shown(const std::string& s) {
    return s;
}
std::string Shown(bool b) {
    return b ? "True" : "False";
}
std::string Shown(float f) {
    return platform::FormatSingle(f);
}
std::string Shown(std::int16_t n) {
    return std::to_string(n);
}

class TreeBuilder {
public:
    TreeBuilder(const OrvaneUI& ui, TreeControl& tvw) : ui_(ui), tvw_(tvw), detailed_(ui.appearance == 2) {}

    void Build(const Orvane& rpt, const NodePtr& root);

private:
    NodePtr Add(const NodePtr& parent, const std::string& key, const std::string& text, std::optional<int> image) {
        return tvw_.Nodes().Add(parent, designer::tvwChild, key, text, image);
    }
    template <typename V>
    void Detail(const NodePtr& parent, const V& value, const std::string& key = {}) {
        Add(parent, key, Shown(value), std::nullopt);
    }

    void Connections(const Orvane& rpt, const NodePtr& root);
    void Parameters(const Orvane& rpt, const NodePtr& root);
    void Dialogs(const Orvane& rpt, const NodePtr& root);
    void PrnFormats(const Orvane& rpt, const NodePtr& root);
    void Resources(const Orvane& rpt, const NodePtr& root);
    void RSources(const std::shared_ptr<Collection<eRSource>>& col, const NodePtr& owner);
    void RSourceDetails(const eRSource& rs, const NodePtr& node);
    void Controls(const std::shared_ptr<Collection<eControl>>& col, const NodePtr& owner);
    void ControlDetails(const eControl& c, const NodePtr& node);

    const OrvaneUI& ui_;
    TreeControl& tvw_;
    bool detailed_;
};

void TreeBuilder::Build(const Orvane& rpt, const NodePtr& root) {
    NodePtr top = Add(root, "@Ov" + rpt.Name, rpt.Name, ui_.IconOrvane);
    Connections(rpt, top);
    Parameters(rpt, top);
    Dialogs(rpt, top);
    PrnFormats(rpt, top);
    Resources(rpt, top);
    Add(top, "@ScriptCode", "Sub-Programa", ui_.IconSctriptCode);
}

void TreeBuilder::Connections(const Orvane& rpt, const NodePtr& root) {
    NodePtr group = Add(root, "@Connections", "Conexiones", ui_.IconeConnections);
    for (int i = 1; i <= WalkCount(rpt.eConections); ++i) {
        auto c = rpt.eConections->Item(i);
        if (!c) continue;
        NodePtr node = Add(group, "Cnn_" + c->Name, c->Name, ui_.IconeConnection);
        if (detailed_) {
            Detail(node, c->cnnString, "cnnString" + std::to_string(i));
            Detail(node, c->Internal, "Internal" + std::to_string(i));
        }
        RSources(c->eRSources, node);
    }
}

void TreeBuilder::Parameters(const Orvane& rpt, const NodePtr& root) {
    NodePtr group = Add(root, "@Parameters", "Parámetros", ui_.IconeParameters);
    for (int i = 1; i <= WalkCount(rpt.eParameters); ++i) {
        auto p = rpt.eParameters->Item(i);
        if (!p) continue;
        NodePtr node = Add(group, "Prm_" + p->Name, p->Name, ui_.IconeParameter);
        if (detailed_) {
            Detail(node, p->Predef);
            Detail(node, p->eType());
        }
    }
}

void TreeBuilder::Dialogs(const Orvane& rpt, const NodePtr& root) {
    NodePtr group = Add(root, "@Dialogs", "Diálogos", ui_.IconeDialogs);
    for (int i = 1; i <= WalkCount(rpt.eDialogs); ++i) {
        auto d = rpt.eDialogs->Item(i);
        if (!d) continue;
        NodePtr node = Add(group, "Dlg_" + d->Name, d->Name, ui_.IconeDialog);
        if (detailed_) {
            Detail(node, d->Class);
            Detail(node, d->Height);
            Detail(node, d->Load);
            Detail(node, d->OnCancel);
            Detail(node, d->OncontrolEvent);
            Detail(node, d->OnOK);
            Detail(node, d->Title);
            Detail(node, d->Validate);
            Detail(node, d->Width);
            Controls(d->eControls, node);
        }
        RSources(d->eRSources, node);
    }
}

void TreeBuilder::PrnFormats(const Orvane& rpt, const NodePtr& root) {
    NodePtr group = Add(root, "@PrnFormats", "Formatos de impresión", ui_.IconePrnFormats);
    for (int i = 1; i <= WalkCount(rpt.ePrnFormats); ++i) {
        auto f = rpt.ePrnFormats->Item(i);
        if (!f) continue;
        NodePtr node = Add(group, "Fmt_" + f->Name, f->Name, ui_.IconePrnFormat);
        if (detailed_) {
            Detail(node, f->Properties);
            Controls(f->eControls, node);
        }
    }
}

void TreeBuilder::Resources(const Orvane& rpt, const NodePtr& root) {
    NodePtr group = Add(root, "@ResDataCol", "Imágenes y textos", ui_.IconeResDataCol);
    for (int i = 1; i <= WalkCount(rpt.ResDataCollection); ++i) {
        auto r = rpt.ResDataCollection->Item(i);
        if (!r) continue;
        if (r->ResType == rtPicture) {
            Add(group, "Pic_" + r->Name, r->Name, ui_.IconePicResData);
        } else {
            Add(group, "Txt_" + r->Name, r->Name, ui_.IconeTxtResData);
        }
    }
}

void TreeBuilder::RSources(const std::shared_ptr<Collection<eRSource>>& col, const NodePtr& owner) {
    struct Level {
        NodePtr node;  // null below an item past kMaxWalk: nothing of it is shown
        int shown;
    };
    std::vector<Level> levels{{owner, 0}};
    WalkRSources(
        col.get(),
        [&](const std::shared_ptr<eRSource>& rs, int, bool entering) {
            Level& level = levels.back();
            NodePtr node;
            if (level.node && level.shown < kMaxWalk) {
                ++level.shown;
                node = Add(level.node, "Rst_" + rs->Name, rs->Name, ui_.IconeRSource);
                if (detailed_) RSourceDetails(*rs, node);
            }
            if (entering) levels.push_back({std::move(node), 0});
            return true;
        },
        [&](const eRSource&, int) { levels.pop_back(); });
}

void TreeBuilder::RSourceDetails(const eRSource& rs, const NodePtr& node) {
    Detail(node, rs.ecnnName());
    Detail(node, rs.CursorLocation);
    Detail(node, rs.CursorType);
    Detail(node, rs.SQLCommand);
    Detail(node, rs.TypeofCommand);
    Detail(node, rs.LockType);
    Detail(node, rs.eFieldNametoParameters);
    Detail(node, rs.idParameterLinked);
}

void TreeBuilder::Controls(const std::shared_ptr<Collection<eControl>>& col, const NodePtr& owner) {
    NodePtr group = Add(owner, {}, "Controls", std::nullopt);
    for (int i = 1; i <= WalkCount(col); ++i) {
        auto c = col->Item(i);
        if (!c) continue;
        NodePtr node = Add(group, {}, c->Name, std::nullopt);
        ControlDetails(*c, node);
        NodePtr data = Add(node, {}, "Data", std::nullopt);
        for (int j = 1; j <= WalkCount(c->Data); ++j) {
            auto d = c->Data->Item(j);
            if (!d) continue;
            Detail(data, d->Name);
            Detail(data, d->DatB64);
        }
    }
}

void TreeBuilder::ControlDetails(const eControl& c, const NodePtr& node) {
    Detail(node, c.Class);
    Detail(node, c.BindObject);
    Detail(node, c.Enable);
    Detail(node, c.Extended());
    Detail(node, c.Height);
    Detail(node, c.Left);
    Detail(node, c.NoNull);
    Detail(node, c.TabIndex);
    Detail(node, c.Top);
    Detail(node, c.Visible);
    Detail(node, c.Width);
}

}  // namespace

bool OrvaneUI::ShowInTvw(const Orvane& eRp, designer::TreeControl& tvw,
                         const std::shared_ptr<designer::TreeNode>& Root) const {
    TreeBuilder(*this, tvw).Build(eRp, Root);
    return true;
}

}  // namespace orvane
