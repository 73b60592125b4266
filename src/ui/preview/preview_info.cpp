// The preview's information line about the file Convert would write.
#include "ui/preview/preview_info.h"

#include "settings/message_catalogue.h"
#include "settings/output_formats.h"

#include <QStringList>

namespace millconv::ui {

namespace {

QString Text(const char* key) { return QString::fromStdString(CatalogueText("Preview", key)); }

} // namespace

QString ReadableSize(uint64_t bytes) {
    if (bytes < 1000) {
        return QStringLiteral("%1 bytes").arg(bytes);
    }
    // Rounded to one decimal first, so 999,999 bytes reads "1.0 MB" rather than "1000.0 kB".
    const double kilo = double(bytes) / 1000.0;
    if (kilo < 999.95) {
        return QStringLiteral("%1 kB").arg(kilo, 0, 'f', 1);
    }
    const double mega = kilo / 1000.0;
    if (mega < 999.95) {
        return QStringLiteral("%1 MB").arg(mega, 0, 'f', 1);
    }
    return QStringLiteral("%1 GB").arg(mega / 1000.0, 0, 'f', 1);
}

QString OutputInfoLine(const PreviewRender& render, int width, int height,
                       const OutputParameters& output) {
    QStringList parts;
    parts << QStringLiteral("%1 \u00D7 %2").arg(width).arg(height);
    parts << QStringLiteral("%1-bit").arg(render.outputDepth);
    if (output.conversion == "tga") {
        parts << Text((output.saveFlags & kTargaSaveRle) != 0 ? "RLE" : "Uncompressed");
        parts << Text(output.topLeft ? "Top Left" : "Bottom Left");
    } else {
        parts << QString::fromStdString(output.conversion).toUpper();
    }
    if (render.transparent) {
        parts << Text("Transparent");
    }
    QString line = parts.join(QStringLiteral(", "));
    if (render.estimatedBytes > 0) {
        line += QStringLiteral(" \u2014 ") +
                QString::fromStdString(
                    FormatMessage(CatalogueText("Preview", "About Size"),
                                  ReadableSize(render.estimatedBytes).toStdString()));
    }
    return line;
}

} // namespace millconv::ui
