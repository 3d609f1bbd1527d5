// The template expansion and the decoding of its escapes, on any bytes.
#include "labels/Template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const QString out = Tabrix::ExpandTemplate(text, [](const QString &name, const Tabrix::TagParams &p) {
            return name + p.value(QStringLiteral("Name")) + p.items().join(u'|');
        });
        Tabrix::DecodeEscapes(out);
    } catch (const Tabrix::EParserError &) {
    } catch (const Tabrix::EConvertError &) {
    }
    Tabrix::DecodeEscapes(text);
    return 0;
}
