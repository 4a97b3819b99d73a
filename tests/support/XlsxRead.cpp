#include "support/XlsxRead.h"
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QVector>
#include <QXmlStreamReader>
#include <zlib.h>

namespace {

quint32 le32(const QByteArray& b, qsizetype at) { return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24; }
quint16 le16(const QByteArray& b, qsizetype at) { return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8); }

bool inflateRaw(const QByteArray& in, qsizetype size, QByteArray& out)
{
    out.resize(size);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
    z.avail_in = uInt(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(size);
    const int rc = inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return rc == Z_STREAM_END && z.total_out == uLong(size);
}

// Unpacks every entry through its local header (the writer fills in the sizes there).
bool unzip(const QByteArray& zip, QMap<QString, QByteArray>& parts)
{
    qsizetype p = 0;
    while (p + 30 <= zip.size() && le32(zip, p) == 0x04034b50) {
        const int flags = le16(zip, p + 6), method = le16(zip, p + 8);
        const quint32 csize = le32(zip, p + 18), usize = le32(zip, p + 22);
        const int nlen = le16(zip, p + 26), xlen = le16(zip, p + 28);
        const QByteArray raw = zip.mid(p + 30 + nlen + xlen, csize);
        QByteArray out = raw;
        if ((flags & 8) || raw.size() != qsizetype(csize) || (method != 0 && (method != 8 || !inflateRaw(raw, usize, out))))
            return false;
        parts.insert(QString::fromUtf8(zip.mid(p + 30, nlen)), out);
        p += 30 + nlen + xlen + csize;
    }
    return p + 4 <= zip.size() && le32(zip, p) == 0x02014b50;   // the central directory follows
}

// "B12" -> (12, 2)
QPair<int, int> refToCell(const QString& ref)
{
    int col = 0, i = 0;
    while (i < ref.size() && ref[i].isLetter()) col = col * 26 + (ref[i++].toUpper().unicode() - 'A' + 1);
    return {ref.mid(i).toInt(), col};
}

// Text of an <si> or <is> element: all its <t> pieces.
QString readRichText(QXmlStreamReader& x, const QString& end)
{
    QString s;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("t")) s += x.readElementText();
        else if (x.isEndElement() && x.name() == end) break;
    }
    return s;
}

} // namespace

bool XlsxCell::isDate() const
{
    if (!isNumber() || numFmt.isEmpty()) return false;
    QString code = numFmt;
    code.remove(QRegularExpression(QStringLiteral("\"[^\"]*\"|\\[[^\\]]*\\]")));
    return code.contains(QRegularExpression(QStringLiteral("[dmy]"), QRegularExpression::CaseInsensitiveOption));
}

bool XlsxSheet::load(const QString& path)
{
    QFile f(path);
    QMap<QString, QByteArray> parts;
    m_cells.clear();
    if (!f.open(QIODevice::ReadOnly) || !unzip(f.readAll(), parts)) return false;

    QStringList shared;
    {
        QXmlStreamReader x(parts.value(QStringLiteral("xl/sharedStrings.xml")));
        while (!x.atEnd())
            if (x.readNext() == QXmlStreamReader::StartElement && x.name() == QLatin1String("si"))
                shared << readRichText(x, QStringLiteral("si"));
    }

    // Style index -> format code (built-in 14-22 are the date ones).
    QVector<QString> styleFmt;
    {
        QMap<int, QString> codes{{14, QStringLiteral("m/d/yyyy")}, {15, QStringLiteral("d-mmm-yy")}, {16, QStringLiteral("d-mmm")},
                                 {17, QStringLiteral("mmm-yy")}, {22, QStringLiteral("m/d/yyyy h:mm")}};
        QXmlStreamReader x(parts.value(QStringLiteral("xl/styles.xml")));
        bool inXfs = false;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("numFmt"))
                codes.insert(x.attributes().value(QLatin1String("numFmtId")).toInt(), x.attributes().value(QLatin1String("formatCode")).toString());
            else if (x.isStartElement() && x.name() == QLatin1String("cellXfs")) inXfs = true;
            else if (x.isEndElement() && x.name() == QLatin1String("cellXfs")) inXfs = false;
            else if (inXfs && x.isStartElement() && x.name() == QLatin1String("xf"))
                styleFmt << codes.value(x.attributes().value(QLatin1String("numFmtId")).toInt());
        }
    }

    const QByteArray sheet = parts.value(QStringLiteral("xl/worksheets/sheet1.xml"));
    if (sheet.isEmpty()) return false;
    QXmlStreamReader x(sheet);
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement() || x.name() != QLatin1String("c")) continue;
        const auto a = x.attributes();
        const auto rc = refToCell(a.value(QLatin1String("r")).toString());
        XlsxCell c;
        c.type = a.value(QLatin1String("t")).toString();
        c.numFmt = styleFmt.value(a.value(QLatin1String("s")).toInt());
        QString v;
        bool any = false;
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("v")) { v = x.readElementText(); any = true; }
            else if (x.isStartElement() && x.name() == QLatin1String("is")) { v = readRichText(x, QStringLiteral("is")); any = true; }
            else if (x.isEndElement() && x.name() == QLatin1String("c")) break;
        }
        if (!any) continue;   // a styled blank holds nothing
        c.text = c.type == QLatin1String("s") ? shared.value(v.toInt()) : v;
        m_cells.insert(rc, c);
    }
    return !x.hasError();
}

std::optional<XlsxCell> XlsxSheet::cell(int row, int col) const
{
    auto it = m_cells.constFind({row, col});
    return it == m_cells.constEnd() ? std::nullopt : std::optional(*it);
}

int XlsxSheet::columnCount(int row) const
{
    int n = 0;
    for (auto it = m_cells.constBegin(); it != m_cells.constEnd(); ++it)
        if (it.key().first == row) n = std::max(n, it.key().second);
    return n;
}
