#include "ui/platform/text_bytes.h"

#include <QFile>

namespace quillo {

QString FromBytes(std::string_view bytes)
{
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

std::string FileNameBytes(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

} // namespace quillo
