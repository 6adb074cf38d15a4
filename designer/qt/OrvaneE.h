// OrvaneE: the stand-alone editor window. Shows one report definition as a
// tree and edits it through OrvaneUI's operations; opens and saves package
// (XPD) and definition XML files, with the file's name in the title and a
// mark while the definition has unsaved changes; deletes, renames, undoes
// and redoes; remembers recent files, its size and place and its tree's
// column widths.
#pragma once

#include <QMainWindow>
#include <QSettings>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <orvanespt/designer/OrvaneUI.h>
#include <orvanespt/designer/qt/QtSeams.h>
#include <orvanespt/model/Orvane.h>

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
    // False, after one message naming the file, when it cannot be read or
    // holds no report definition; the definition shown stays as it was.
    bool OpenFile(const QString& path);
    // Saves to path in the format its ending names. False after a message.
    bool SaveFile(const QString& path);

    const std::shared_ptr<Orvane>& Report() const { return report_; }
    const QString& FileName() const { return file_; }
    QtTreeControl& Tree() { return *tree_; }
    // Rebuilds the tree and the title from the definition, keeping the
    // expanded nodes and the selection.
    void Refresh();

    QTreeWidget* tvwOrvane;
    QMenu* mnuReporte;
    QMenu* mnuRecientes;
    QAction* mnuEditar;
    QAction* mnuCambiarNombre;
    QAction* mnuEliminar;
    QAction* mnuAConexion;
    QAction* mnuAParametro;
    QAction* mnuADialogo;
    QAction* mnuAPrnFormat;
    QAction* mnuAeRSource;
    QAction* mnuNuevo;
    QAction* mnuAbrir;
    QAction* mnuGuardar;
    QAction* mnuGuardarComo;
    QAction* mnuDeshacer;
    QAction* mnuRehacer;
    QAction* mnuRevisar;
    QAction* mnuAImagen;
    QAction* mnuATexto;
    QAction* mnuGuardarRecurso;
    QAction* mnuProbar;

    // The menu commands, as the actions trigger them.
    // An item's dialog; on a picture or text, its replacement from a file;
    // on the report's node, its name and properties; on "Sub-Programa", the
    // code editor.
    void Editar();
    void CambiarNombre();
    void Eliminar();
    void Deshacer();
    void Rehacer();
    // Lists the report check's findings; the one chosen selects its item's node.
    void Revisar();
    // "Probar reporte": the whole-report preview over a copy of the definition.
    void ProbarReporte();
    // Adds a picture (or a text) read from a file the user chooses, named
    // after the file. False when cancelled or refused.
    bool AddResource(bool picture);
    // Writes the selected picture or text to a file the user chooses.
    bool SaveResource();
    void Nuevo();
    void Abrir();
    bool Guardar();
    bool GuardarComo();
    // Enables the commands that fit the selected node: the one "Agregar"
    // command of its kind, "RSource" on a connection's or a record source's
    // node, and editing, renaming and deleting on an item's node.
    void EnableAddCommands();
    // The files opened or saved last, newest first.
    QStringList RecentFiles() const;

    // What a node stands for: the item's kind and the item, found by the
    // node's place in the tree, so items of the same name stay apart.
    struct Target;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void Add(int kind);
    // Editar for the resources, the code and the report's own node.
    void EditOwn(const Target& target);
    // Runs one editing step. The step's changes, accepted or not (some
    // dialogs write before they are cancelled), become one undo step; the
    // tree and the unsaved mark follow the definition afterwards.
    void Change(const std::function<bool()>& step);
    // The message for a name another item of the kind (not self) already has, or "".
    std::string NameTaken(int kind, const void* self, const std::string& name) const;
    // The name dialogs' rule while an item of kind is named (renaming: by
    // the rename dialog): kept, its name before, always passes.
    ScopedNameRule NameRuleFor(int kind, const void* self, const std::string& kept, bool renaming = false) const;
    // After a parameter or a record source was renamed from the name from:
    // offers to make the references to it follow, saying how many change.
    void OfferReferenceRename(const Target& target, const std::string& from);
    // True when there are no unsaved changes, or they were saved, or the
    // user chose to drop them.
    bool MaySwitch();
    void UpdateTitle();
    void ShowReport(std::shared_ptr<Orvane> report, const QString& file);
    void Remember(const QString& file);
    void FillRecent();
    Target SelectedTarget() const;
    // The record source of the selected node, or null.
    std::shared_ptr<eRSource> SelectedRSource() const;
    // Where "RSource" adds: the connection, and the parent record source
    // (null for a top-level one); no connection when the node offers none.
    std::pair<std::shared_ptr<eConnection>, std::shared_ptr<eRSource>> SelectedRSourceOwner() const;
    QString StartPath(bool save) const;
    // Where the window keeps its place, its tree's columns and the recent files.
    static QSettings Settings();

    std::shared_ptr<Orvane> report_;
    OrvaneUI ui_;
    std::unique_ptr<QtTreeControl> tree_;
    QString file_;
    // What an undo step puts back: the definition XML and the resources,
    // which the XML does not carry, and the nodes selected before and after
    // the step, so undo and redo select the item the step touched.
    struct Snapshot {
        std::string xml;
        std::vector<eResData> resources;
        QStringList before, after;
    };
    Snapshot Take() const;
    void Put(const Snapshot& snapshot);
    // True when the definition or its resources changed since loaded or saved.
    bool Modified() const;
    std::vector<Snapshot> undo_, redo_;
    std::vector<eResData> savedResources_;  // the resources as last loaded or saved
    QStringList reveal_;                    // the node to select after the next rebuild
};

}  // namespace orvane::designer
