// Helpers for the offscreen dialog tests: the application object, and a
// modal runner that plays one scripted "person" per dialog shown, in order.
// Each script gets the dialog already shown, types and clicks, and the
// runner returns the dialog's result as exec() would.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <orvanespt/designer/DesignerDialogs.h>
#include <orvanespt/designer/qt/QtDesignerDialogs.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include "support/TestSupport.h"

namespace orvane::testing {

// The application exists before any test, so a dialog held as a member can
// be built before its fixture's constructor body runs.
class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "designer_qt_tests";
        static char* argv[] = {name, nullptr};
        QStandardPaths::setTestModeEnabled(true);  // settings (recent files) away from the user's own
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
};
inline ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

using Person = std::function<void(QDialog&)>;

// Installs itself as the modal runner for its lifetime. A dialog shown when
// no script is left is cancelled, and counted.
class ScriptedRunner {
public:
    ScriptedRunner() {
        previous_ = designer::SetModalRunner([this](QDialog& d) { return Play(d); });
    }
    ~ScriptedRunner() { designer::SetModalRunner(previous_); }
    ScriptedRunner(const ScriptedRunner&) = delete;
    ScriptedRunner& operator=(const ScriptedRunner&) = delete;

    void Then(Person person) { people_.push_back(std::move(person)); }
    int Shown() const { return shown_; }
    int Unscripted() const { return unscripted_; }

private:
    int Play(QDialog& dialog) {
        ++shown_;
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        if (people_.empty()) {
            ++unscripted_;
            dialog.reject();
            return dialog.result();
        }
        Person person = std::move(people_.front());
        people_.pop_front();
        person(dialog);
        // A script that leaves the dialog open has it cancelled, as closing the window would.
        if (dialog.isVisible()) dialog.reject();
        return dialog.result();
    }

    designer::ModalRunner previous_;
    std::deque<Person> people_;
    int shown_ = 0;
    int unscripted_ = 0;
};

template <typename W>
W* Find(QWidget& dialog, const char* name) {
    W* w = dialog.findChild<W*>(QString::fromUtf8(name));
    if (!w) ADD_FAILURE() << "no widget named " << name;
    return w;
}

// Replaces the text of a line edit, a plain-text box or an editable combo
// box by typing, as a person would.
inline void Type(QWidget& dialog, const char* name, const QString& text) {
    auto* w = Find<QWidget>(dialog, name);
    if (auto* combo = qobject_cast<QComboBox*>(w)) w = combo->lineEdit();
    auto* plain = qobject_cast<QPlainTextEdit*>(w);
    auto* edit = qobject_cast<QLineEdit*>(w);
    if (!plain && !edit) {
        if (w) ADD_FAILURE() << name << " takes no typing";
        return;
    }
    plain ? plain->selectAll() : edit->selectAll();
    if (!(plain ? plain->toPlainText() : edit->text()).isEmpty()) QTest::keyClick(w, Qt::Key_Delete);
    // QTest types ASCII only; other characters arrive as a text input would.
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(w, c.toLatin1());
        else if (plain)
            plain->insertPlainText(QString(c));
        else
            edit->insert(QString(c));
    }
}

inline void Click(QWidget& dialog, const char* name) {
    // Near the left edge, where check and option buttons have their mark: a
    // stretched button takes clicks only on its mark and caption.
    if (auto* b = Find<QAbstractButton>(dialog, name))
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(std::min(8, b->width() / 2), b->height() / 2));
}

// Presses a button by name, on whichever tab it is.
inline void Press(QWidget& dialog, const char* name) {
    if (auto* b = Find<QAbstractButton>(dialog, name)) b->click();
}

// The entries of a list or combo box, in order.
inline QStringList Entries(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
}
inline QStringList Entries(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

// What the named combo boxes, line edits and text boxes show, in order.
inline QStringList Shown(QWidget& dialog, std::initializer_list<const char*> names) {
    QStringList out;
    for (const char* name : names) {
        QWidget* w = Find<QWidget>(dialog, name);
        if (auto* combo = qobject_cast<QComboBox*>(w)) out << combo->currentText();
        else if (auto* edit = qobject_cast<QLineEdit*>(w)) out << edit->text();
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) out << plain->toPlainText();
        else out << QString("(%1 shows no text)").arg(name);
    }
    return out;
}

// The texts of the messages shown so far, which are then forgotten.
inline std::vector<std::string> Texts(MessageRecorder& messages) {
    std::vector<std::string> out;
    for (const auto& m : messages->Taken()) out.push_back(m.text);
    messages->Clear();
    return out;
}

// Installs the Qt designer dialogs for one scope.
class WithDialogs {
public:
    WithDialogs() : previous_(designer::SetDesignerDialogs(std::make_shared<designer::QtDesignerDialogs>())) {}
    ~WithDialogs() { designer::SetDesignerDialogs(previous_); }
    WithDialogs(const WithDialogs&) = delete;
    WithDialogs& operator=(const WithDialogs&) = delete;

private:
    std::shared_ptr<designer::DesignerDialogs> previous_;
};

// Points the connection manager at a file of the scratch folder; with
// installed false no file is there, so the manager is "not installed".
class ManagerFile {
public:
    explicit ManagerFile(bool installed) {
        path_ = dir_.file("connections.ini");
        if (installed)
            WriteFile(path_, "[Ventas]\nConnectionString=Provider=SQLite;Data Source=v.db\nUserID=u\nPWD=secreto\n"
                             "[Compras]\nConnectionString=Provider=SQLite;Data Source=c.db\n");
        setenv("ORVANE_CONNECTIONS_FILE", path_.c_str(), 1);
    }
    ~ManagerFile() { unsetenv("ORVANE_CONNECTIONS_FILE"); }
    const std::string& path() const { return path_; }

private:
    ScratchDir dir_;
    std::string path_;
};

// A copy of the example's sales database at path.
inline void MakeSalesDatabase(const std::string& path) {
    MakeDatabase(path, ReadFile(ORVANE_SOURCE_DIR "/examples/sales/ventas.sql"));
}

// A report over a copy of the example's sales database, for the dialogs that
// read fields and parameters: connection "Ventas", record source "Ventas"
// (one row per order with its Total) with a child "Lineas", and the
// parameters Desde and Hasta.
struct SalesExample : ReportOn {
    ScratchDir dir;
    std::shared_ptr<eRSource> ventas;

    SalesExample() {
        const std::string db = dir.file("ventas.db");
        MakeSalesDatabase(db);
        cnn->Name = "Ventas";
        cnn->cnnString = "Provider=SQLite;Data Source=" + db;
        ventas = Source("Ventas",
                        "SELECT p.id_pedido, p.fecha, SUM(l.cantidad * l.precio) AS Total FROM pedidos p "
                        "JOIN lineas l ON l.id_pedido = p.id_pedido GROUP BY p.id_pedido, p.fecha");
        Source("Lineas", "SELECT producto, cantidad FROM lineas", ventas);
        for (const char* name : {"Desde", "Hasta"}) Param(name, "adInteger")->Predef = "0";
    }
};

}  // namespace orvane::testing
