#pragma once
// The picture of "Imprimer": a printer with its sheet, drawn here so that it
// looks the same whatever icon theme the desktop has (or none).

#include <QIcon>

namespace kiv {

QIcon PrinterIcon();

} // namespace kiv
