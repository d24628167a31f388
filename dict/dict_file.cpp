#include "dict/dict_file.h"

namespace lexivoce::dict {

QByteArray TDictFile::ReadEntry(TLocation location) const
{
    if (!m_file.IsOpen() || location.Offset < 0 || location.Length <= 0)
        return QByteArray();
    return ToCrLf(m_file.ReadAt(location.Offset, location.Length));
}

QByteArray ToCrLf(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out.append('\r');
        out.append(text[i]);
    }
    return out;
}

} // namespace lexivoce::dict
