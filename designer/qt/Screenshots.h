// Pictures of the designer for the documentation: each dialog and the editor
// window, prepared on a definition file and grabbed to PNG files.
#pragma once

#include <QString>

namespace orvane::designer {

// Writes editor.png, conexion.png, parametro.png, dialogo.png, formato.png,
// aplicaciones.png, disenar-conexion.png, origen.png, origen-dependientes.png,
// origen-avanzadas.png, sql.png, vista-previa.png, disenar-sql.png, filtro.png
// and formula.png (vista-previa, disenar-sql and the filter's fields need the
// definition's database) into folder, showing the
// definition in file. Messages are not shown while it works. Returns the
// number of pictures written; 0 when the file cannot be read.
int RenderScreenshots(const QString& folder, const QString& file);

}  // namespace orvane::designer
