// The --cameras FILE reader of zoractl: the first word of each line a MAC, blank lines
// and '#' comments skipped.
#include "fuzz_support.h"

#include "protocol/datagram.h"
#include "zoractl/option_values.h"

#include <QRegularExpression>

namespace {

void check(bool ok, const QByteArray &what)
{
    if (!ok)
        Fuzz::fail("cameras_file", what);
}

// The first word of each line that has one, comments cut off.
QStringList firstWords(QByteArrayView file)
{
    QStringList words;
    for (const QByteArray &line : file.toByteArray().split('\n')) {
        QString text = QString::fromUtf8(line);
        if (const qsizetype hash = text.indexOf(QLatin1Char('#')); hash >= 0)
            text.truncate(hash);
        const QStringList w = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!w.isEmpty())
            words << w.first();
    }
    return words;
}

bool canonical(const QString &mac)
{
    static const QRegularExpression form(QStringLiteral("^([0-9A-F]{2}:){5}[0-9A-F]{2}$"));
    return form.match(mac).hasMatch();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::start();
    Fuzz::scratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView file = Fuzz::bytesOf(data, size);
    const QStringList words = firstWords(file);
    // A MAC as the camera list shows it, typed in any case with ':' or '-': nothing
    // else passes for one.
    static const QRegularExpression macChars(QStringLiteral("^[0-9A-Fa-f:-]+$"));
    for (const QString &word : words) {
        const QString mac = Zora::NormalMacText(word);
        if (mac.isEmpty())
            continue;
        check(canonical(mac) && Zora::NormalMacText(mac) == mac, "odd MAC text " + mac.toUtf8());
        check(macChars.match(word).hasMatch(), "taken for a MAC: " + Fuzz::shown(word.toUtf8()));
    }

    const QString path = Fuzz::scratchFile(QStringLiteral("cameras"));
    Fuzz::writeFile(path, file);
    QString error;
    const auto macs = OptionValues::macsOfFile(path, &error);
    if (!macs) {
        check(error.contains(path), "a refusal that does not name the file");
        return 0;
    }
    check(error.isEmpty(), "an error with a list");
    check(macs->size() == words.size(), "MACs: " + QByteArray::number(macs->size())
                                            + ", lines with a word: " + QByteArray::number(words.size()));
    for (const QString &mac : *macs)
        check(canonical(mac), "listed MAC not in the list's form: " + mac.toUtf8());

    // The list written back one MAC a line reads the same.
    Fuzz::writeFile(path, macs->join(QLatin1Char('\n')).toLatin1());
    const auto again = OptionValues::macsOfFile(path, &error);
    check(again && *again == *macs, "the list written back reads otherwise");
    return 0;
}
