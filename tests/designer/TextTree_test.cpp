// The text tree control: placement of nodes, keys, and its printed form.
#include "designer/TextTree.h"

#include <gtest/gtest.h>

namespace orvane::designer {
namespace {

TEST(TextTree, RelationshipsPlaceNodesAmongSiblingsAndClearFreesTheKeys) {
    TextTree t;
    auto& n = t.Nodes();
    auto root = n.Add(nullptr, tvwChild, "root", "root");
    auto b = n.Add(root, tvwChild, "b", "b");
    n.Add(b, tvwFirst, std::nullopt, "a");
    n.Add(b, tvwLast, "", "e");
    auto d = n.Add(b, tvwNext, "d", "d");
    n.Add(d, tvwPrevious, "c", "c");
    n.Add(d, tvwChild, "d1", "d1", 5);
    n.Add(root, tvwNext, "top2", "top2");
    EXPECT_EQ(t.Print(), "root [root]\n  a\n  b [b]\n  c [c]\n  d [d]\n    d1 [d1]\n  e\ntop2 [top2]\n");
    EXPECT_EQ(n.Item("d1")->Image(), 5);
    EXPECT_EQ(n.Item("c")->Parent(), root);

    // Clear detaches the nodes and frees their keys; line breaks in texts stay on one line.
    t.SelectedItem(d);
    EXPECT_EQ(t.SelectedItem(), d);
    n.Clear();
    EXPECT_EQ(t.Print(), "");
    EXPECT_EQ(n.Count(), 0);
    EXPECT_EQ(t.SelectedItem(), nullptr);
    EXPECT_EQ(d->Parent(), nullptr);
    EXPECT_THROW(n.Add(d, tvwChild, "x", "x"), TreeError);
    auto again = n.Add(nullptr, tvwChild, "d", "SELECT *\r\nFROM t\r");
    again->Text(again->Text() + "!");
    n.Add(nullptr, tvwChild, "k\n", "k");
    EXPECT_EQ(t.Print(), "SELECT *\\r\\nFROM t\\r! [d]\nk [k\\n]\n");
}

TEST(TextTree, RejectsBadNodesWithoutChangingTheTree) {
    TextTree t, other;
    auto root = t.Nodes().Add(nullptr, tvwChild, "Key", "x");
    auto stranger = other.Nodes().Add(nullptr, tvwChild, "s", "s");
    auto kindOf = [&](auto add) {
        try {
            add();
        } catch (const TreeError& e) {
            return e.kind();
        }
        ADD_FAILURE() << "no error";
        return TreeError::Kind::BadImage;
    };
    EXPECT_EQ(kindOf([&] { t.Nodes().Add(stranger, tvwChild, "z", "z"); }), TreeError::Kind::BadRelative);
    EXPECT_EQ(kindOf([&] { t.Nodes().Add(root, 5, "z", "z"); }), TreeError::Kind::BadRelationship);
    EXPECT_EQ(kindOf([&] { t.SelectedItem(stranger); }), TreeError::Kind::BadRelative);
    EXPECT_EQ(t.Print(), "x [Key]\n");
    EXPECT_EQ(t.Nodes().Count(), 1);
}

}  // namespace
}  // namespace orvane::designer
