// Helpers for the offscreen dialog tests: the application object, and a
// modal runner that plays one scripted "person" per dialog shown, in order.
// Each script gets the dialog already shown, types and clicks, and the
// runner returns the dialog's result as exec() would.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>

#include "designer/qt/QtSeams.h"
#include "support/TestSupport.h"

namespace orvane::testing {

inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "designer_qt_tests";
    static char* argv[] = {name, nullptr};
    QStandardPaths::setTestModeEnabled(true);  // settings (recent files) away from the user's own
    if (!QApplication::instance()) new QApplication(argc, argv);
}

using Person = std::function<void(QDialog&)>;

// Installs itself as the modal runner for its lifetime. A dialog shown when
// no script is left is cancelled, and counted.
class ScriptedRunner {
public:
    ScriptedRunner() {
        EnsureApplication();
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

// Replaces a line edit's text by typing, as a person would.
inline void Type(QWidget& dialog, const char* name, const QString& text) {
    auto* edit = Find<QLineEdit>(dialog, name);
    if (!edit) return;
    edit->selectAll();
    if (!edit->text().isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
    // QTest types ASCII only; other characters arrive as a text input would.
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(edit, c.toLatin1());
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

}  // namespace orvane::testing
