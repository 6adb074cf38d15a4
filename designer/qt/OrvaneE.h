// OrvaneE: the stand-alone editor window. Shows one report definition as a
// tree and edits it through OrvaneUI's operations; opens and saves package
// (XPD) and definition XML files, with the file's name in the title and a
// mark while the definition has unsaved changes.
#pragma once

#include <QMainWindow>
#include <memory>
#include <utility>

#include "designer/OrvaneUI.h"
#include "model/Orvane.h"

class QAction;
class QMenu;
class QTreeWidget;

namespace orvane::designer {

class QtTreeControl;

class OrvaneE : public QMainWindow {
    Q_OBJECT
public:
    explicit OrvaneE(QWidget* parent = nullptr);
    ~OrvaneE() override;

    // Opens an XPD package or, by its ".xml" ending, a definition XML file.
    // False, after a message naming the file, when it cannot be read; the
    // definition shown stays as it was.
    bool OpenFile(const QString& path);
    // Saves to path in the format its ending names. False after a message.
    bool SaveFile(const QString& path);

    const std::shared_ptr<Orvane>& Report() const { return report_; }
    const QString& FileName() const { return file_; }
    QtTreeControl& Tree() { return *tree_; }
    // Rebuilds the tree and the title from the definition.
    void Refresh();

    QTreeWidget* tvwOrvane;
    QMenu* mnuReporte;
    QAction* mnuEditar;
    QAction* mnuAConexion;
    QAction* mnuAParametro;
    QAction* mnuADialogo;
    QAction* mnuAPrnFormat;
    QAction* mnuAeRSource;
    QAction* mnuNuevo;
    QAction* mnuAbrir;
    QAction* mnuGuardar;
    QAction* mnuGuardarComo;

    // The menu commands, as the actions trigger them.
    void Editar();
    void Nuevo();
    void Abrir();
    bool Guardar();
    bool GuardarComo();
    // Enables the one "Agregar" command that fits the selected node, and
    // "RSource" on a connection's or a record source's node.
    void EnableAddCommands();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void Add(int kind);
    // True when there are no unsaved changes or the user agrees to drop them.
    bool MayDiscard();
    void UpdateTitle();
    void ShowReport(std::shared_ptr<Orvane> report, const QString& file);
    // The record source of the selected node, or null.
    std::shared_ptr<eRSource> SelectedRSource() const;
    // Where "RSource" adds: the connection, and the parent record source
    // (null for a top-level one); no connection when the node offers none.
    std::pair<std::shared_ptr<eConnection>, std::shared_ptr<eRSource>> SelectedRSourceOwner() const;

    std::shared_ptr<Orvane> report_;
    OrvaneUI ui_;
    std::unique_ptr<QtTreeControl> tree_;
    QString file_;
};

}  // namespace orvane::designer
