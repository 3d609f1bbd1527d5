#pragma once
#include <QByteArray>
#include <QList>
#include <functional>

namespace Tabrix {

// One command of a ZPL II stream: its prefix ('^' or '~'), its code in capitals
// ("FO", "BC"; "A" for a font, whose name is the first byte of `params`) and the
// bytes up to the next command, line ends removed.
struct ZplCommand {
    char prefix = '^';
    QByteArray code;
    QByteArray params;
};

// Hands the commands of a stream to `take` in order, one at a time (a stream may
// hold millions), until `take` returns false; bytes before the first prefix are dropped.
void ForEachZplCommand(const QByteArray &bytes, const std::function<bool(const ZplCommand &)> &take);

// The comma-separated parameters of a command: item(i) is "" when absent.
class ZplParams {
public:
    explicit ZplParams(const QByteArray &params) : m_items(params.split(',')) {}
    QByteArray item(int i) const { return i < m_items.size() ? m_items[i].trimmed() : QByteArray(); }
    // The number at `i`, or `fallback` when absent or not a number, within [low, high].
    int number(int i, int fallback, int low, int high) const;
    double real(int i, double fallback, double low, double high) const;
    // The first letter at `i` in capitals, or `fallback`.
    char letter(int i, char fallback) const;

private:
    QList<QByteArray> m_items;
};

} // namespace Tabrix
