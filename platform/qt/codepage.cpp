#include "platform/qt/codepage.h"

#include <QHash>
#include <QString>
#include <QStringDecoder>

#include <array>

namespace tumbo {

namespace {

struct CodePageTable {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    CodePageTable() {
        QStringDecoder decoder("windows-1251", QStringDecoder::Flag::Stateless);
        for (int byte = 0; byte < 256; ++byte) {
            const char raw = static_cast<char>(byte);
            const QString decoded = decoder.decode(QByteArrayView(&raw, 1));
            const char16_t unit = decoded.size() == 1 ? decoded.at(0).unicode() : u'\uFFFD';
            toUnicode[static_cast<std::size_t>(byte)] = unit;
            if (unit != u'\uFFFD') {
                fromUnicode.insert(unit, raw);
            }
        }
    }
};

const CodePageTable& Table() {
    static const CodePageTable table;
    return table;
}

}  // namespace

QString DecodeCp1251(std::string_view bytes) {
    const auto& table = Table().toUnicode;
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char byte : bytes) {
        *out++ = QChar(table[static_cast<unsigned char>(byte)]);
    }
    return text;
}

std::string EncodeCp1251(const QString& text) {
    const auto& table = Table().fromUnicode;
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            bytes.push_back('?');
            continue;
        }
        const auto found = table.constFind(c.unicode());
        bytes.push_back(found == table.constEnd() ? '?' : *found);
    }
    return bytes;
}

}  // namespace tumbo
