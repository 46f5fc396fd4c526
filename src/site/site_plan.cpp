#include "site/site_plan.h"

#include "base/input_file.h"
#include "base/shared_routines.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// A line a camera: a plan of a whole site is a few hundred kilobytes at most.
constexpr qint64 kMaxPlanBytes = 4 << 20;

// One CSV record: its cells and the line it starts on.
struct Record {
    int line = 0;
    QStringList cells;
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Splits text into records, skipping blank lines and comment lines. A quoted cell may
// hold separators, doubled quotes and line breaks; text around the quotes other than
// blanks is a fault of the record, which is then left out.
class CsvReader final
{
public:
    explicit CsvReader(const QString &text) : m_text(text) {}

    QList<Record> records(const std::function<void(int, const QString &)> &fault)
    {
        QList<Record> out;
        while (m_pos < m_text.size()) {
            const qsizetype end = lineEnd(m_pos);
            const QString line = m_text.mid(m_pos, end - m_pos).trimmed();
            if (line.isEmpty() || line.startsWith(u'#')) {
                nextLine(end);
                continue;
            }
            Record r;
            r.line = m_line;
            QString why;
            if (readRecord(&r.cells, &why)) {
                out << r;
            } else {
                fault(r.line, why);
                nextLine(lineEnd(m_pos));
            }
        }
        return out;
    }

private:
    qsizetype lineEnd(qsizetype from) const
    {
        const qsizetype n = m_text.indexOf(u'\n', from);
        return n < 0 ? m_text.size() : n;
    }

    void nextLine(qsizetype lineEndPos)
    {
        m_pos = lineEndPos + 1;
        ++m_line;
    }

    // Reads cells up to the end of the record and past its line break.
    bool readRecord(QStringList *cells, QString *why)
    {
        for (;;) {
            while (m_pos < m_text.size() && isBlank(m_text.at(m_pos)))
                ++m_pos;
            QString cell;
            if (m_pos < m_text.size() && m_text.at(m_pos) == u'"') {
                const int opened = m_line;
                ++m_pos;
                for (;;) {
                    if (m_pos >= m_text.size()) {
                        *why = u"a quote opened on line %1 is never closed"_s.arg(opened);
                        return false;
                    }
                    const QChar c = m_text.at(m_pos++);
                    if (c == u'"') {
                        if (m_pos < m_text.size() && m_text.at(m_pos) == u'"') {
                            cell += u'"';
                            ++m_pos;
                            continue;
                        }
                        break;
                    }
                    if (c == u'\n')
                        ++m_line;
                    cell += c;
                }
                while (m_pos < m_text.size() && isBlank(m_text.at(m_pos)))
                    ++m_pos;
                if (m_pos < m_text.size() && m_text.at(m_pos) != u','
                    && m_text.at(m_pos) != u'\n') {
                    *why = u"text after a closing quote: %1"_s.arg(
                        m_text.mid(m_pos, lineEnd(m_pos) - m_pos).trimmed());
                    return false;
                }
            } else {
                const qsizetype start = m_pos;
                while (m_pos < m_text.size() && m_text.at(m_pos) != u','
                       && m_text.at(m_pos) != u'\n')
                    ++m_pos;
                cell = m_text.mid(start, m_pos - start).trimmed();
                if (cell.contains(u'"')) {
                    *why = u"a quote inside a cell that does not start with one: %1"_s.arg(cell);
                    return false;
                }
            }
            *cells << cell;
            if (m_pos >= m_text.size())
                return true;
            if (m_text.at(m_pos++) == u'\n') {
                ++m_line;
                return true;
            }
        }
    }

    const QString &m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
};

std::optional<QString> cell(const QStringList &cells, const QList<int> &index, int column)
{
    const int i = index.at(column);
    if (i < 0 || cells.at(i).isEmpty())
        return std::nullopt;
    return cells.at(i);
}

enum Column { Mac, Ip, Mask, Gateway, Dns, Host, Domain, Network, PasswordFile, ColumnCount };

} // namespace

const QStringList &SitePlan::columns()
{
    static const QStringList names = {u"mac"_s,  u"ip"_s,     u"mask"_s,    u"gateway"_s,
                                      u"dns"_s,  u"host"_s,   u"domain"_s,  u"network"_s,
                                      u"password_file"_s};
    return names;
}

QString SitePlan::normalMac(const QString &text)
{
    const QString t = text.trimmed();
    if (t.size() != 17)
        return {};
    const QChar separator = t.at(2);
    if (separator != u':' && separator != u'-')
        return {};
    QString out;
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            if (t.at(i * 3 - 1) != separator)
                return {};
            out += u':';
        }
        for (int k = 0; k < 2; ++k) {
            const QChar c = t.at(i * 3 + k);
            if (!isHexDigit(c))
                return {};
            out += c.toUpper();
        }
    }
    return out;
}

std::optional<quint32> SitePlan::ipv4(const QString &text)
{
    return DottedDecimal(text);
}

QString SitePlan::ipv4Text(quint32 a)
{
    return u"%1.%2.%3.%4"_s.arg(a >> 24).arg((a >> 16) & 0xFF).arg((a >> 8) & 0xFF).arg(a & 0xFF);
}

bool SitePlan::isNetmask(quint32 mask)
{
    // Ones then zeros: the host bits, inverted, are a run of ones at the bottom.
    const quint32 hostBits = ~mask;
    return mask != 0 && (hostBits & (hostBits + 1)) == 0;
}

std::optional<SitePlan::Entry> SitePlan::entryFor(const QString &mac) const
{
    const QString m = normalMac(mac);
    for (const Entry &e : m_entries) {
        if (e.mac == m)
            return e;
    }
    return std::nullopt;
}

std::optional<SitePlan> SitePlan::read(const QString &path, QStringList *errors)
{
    QString why;
    const std::optional<QByteArray> bytes = InputFile::read(path, kMaxPlanBytes, &why);
    if (!bytes) {
        if (errors)
            *errors << why;
        return std::nullopt;
    }
    return parse(*bytes, InputFile::displayName(path), errors);
}

std::optional<SitePlan> SitePlan::parse(const QByteArray &bytes, const QString &fileName,
                                        QStringList *errors)
{
    // Faults by line, reported in the file's order; line 0 is the file as a whole.
    QList<std::pair<int, QString>> faults;
    auto fault = [&](int line, const QString &message) { faults.append({line, message}); };
    auto done = [&]() -> std::optional<SitePlan> {
        std::stable_sort(faults.begin(), faults.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        for (const auto &[line, message] : faults) {
            if (errors)
                *errors << (line > 0 ? u"%1:%2: %3"_s.arg(fileName).arg(line).arg(message)
                                     : u"%1: %2"_s.arg(fileName, message));
        }
        return std::nullopt;
    };

    QStringDecoder decode(QStringDecoder::Utf8);
    QString text = decode(bytes);
    if (decode.hasError()) {
        fault(0, u"is not UTF-8 text"_s);
        return done();
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(u"\r\n"_s, u"\n"_s);

    CsvReader reader(text);
    const QList<Record> records = reader.records(fault);
    if (records.isEmpty()) {
        if (faults.isEmpty())
            fault(0, u"no header line (expected columns such as mac,ip,mask,...)"_s);
        return done();
    }
    // A broken header line: what follows it cannot be read by its columns.
    if (!faults.isEmpty() && faults.first().first < records.first().line)
        return done();

    // Where each column sits in a row, -1 when the header does not name it.
    const Record &header = records.first();
    QList<int> index(ColumnCount, -1);
    const qsizetype faultsBefore = faults.size();
    for (int i = 0; i < header.cells.size(); ++i) {
        const QString name = header.cells.at(i).trimmed().toLower();
        const qsizetype column = columns().indexOf(name);
        if (name.isEmpty())
            fault(header.line, u"column %1 of the header has no name"_s.arg(i + 1));
        else if (column < 0)
            fault(header.line, u"unknown column \"%1\" (known: %2)"_s.arg(name, columns().join(u", "_s)));
        else if (index.at(column) >= 0)
            fault(header.line, u"column \"%1\" is named twice"_s.arg(name));
        else
            index[column] = i;
    }
    if (index.at(Mac) < 0)
        fault(header.line, u"the header names no mac column"_s);
    if (faults.size() > faultsBefore)
        return done();

    SitePlan plan;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const Record &rec = records.at(r);
        auto bad = [&](const QString &message) { fault(rec.line, message); };
        if (rec.cells.size() != header.cells.size()) {
            bad(u"the row has %1 cells, the header %2"_s.arg(rec.cells.size()).arg(header.cells.size()));
            continue;
        }
        Entry e;
        e.line = rec.line;
        const QString macCell = rec.cells.at(index.at(Mac));
        e.mac = normalMac(macCell);
        if (macCell.isEmpty())
            bad(u"mac is empty"_s);
        else if (e.mac.isEmpty())
            bad(u"mac \"%1\" is not a MAC address"_s.arg(macCell));

        e.ip = cell(rec.cells, index, Ip);
        e.mask = cell(rec.cells, index, Mask);
        e.gateway = cell(rec.cells, index, Gateway);
        e.dns = cell(rec.cells, index, Dns);
        e.host = cell(rec.cells, index, Host);
        e.domain = cell(rec.cells, index, Domain);
        e.network = cell(rec.cells, index, Network);
        e.passwordFile = cell(rec.cells, index, PasswordFile);

        const std::array<std::pair<int, const std::optional<QString> *>, 4> addresses = {
            {{Ip, &e.ip}, {Mask, &e.mask}, {Gateway, &e.gateway}, {Dns, &e.dns}}};
        for (const auto &[column, value] : addresses) {
            if (!*value)
                continue;
            const auto a = ipv4(**value);
            if (!a)
                bad(u"%1 \"%2\" is not an IPv4 address"_s.arg(columns().at(column), **value));
            else if (column == Mask && !isNetmask(*a))
                bad(u"mask \"%1\" is not a netmask (ones then zeros, like 255.255.255.0)"_s.arg(*e.mask));
        }
        if (e.network) {
            const QString n = e.network->toLower();
            if (n != u"static"_s && n != u"dhcp"_s)
                bad(u"network \"%1\" is neither static nor dhcp"_s.arg(*e.network));
            e.network = n;
            if (n == u"dhcp"_s) {
                QStringList given;
                if (e.ip)
                    given << u"ip"_s;
                if (e.mask)
                    given << u"mask"_s;
                if (e.gateway)
                    given << u"gateway"_s;
                if (!given.isEmpty()) {
                    const QString last = given.takeLast();
                    const QString list = given.isEmpty() ? last
                                                         : given.join(u", "_s) + u" and "_s + last;
                    bad(u"network is dhcp but the row gives %1; a camera on DHCP takes its "
                        "address from the DHCP server, leave them empty"_s.arg(list));
                }
            }
        }
        plan.m_entries << e;
    }
    if (!faults.isEmpty())
        return done();
    return plan;
}
