#include "protocol/camera_registry.h"

#include "base/messenger.h"
#include "base/model_filter_table.h"
#include "base/string_table.h"
#include "protocol/camera_list.h"
#include "protocol/config_item.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <array>
#include <stdexcept>

namespace {
constexpr int kRecordBlock = 256;
} // namespace

struct CameraRegistry::RecordBlock {
    std::array<TConfigItem, kRecordBlock> records;
};

CameraRegistry::CameraRegistry(CameraList &list, ModelFilterTable &models, QObject *parent)
    : QObject(parent)
    , m_list(list)
    , m_models(models)
{
}

CameraRegistry::~CameraRegistry() = default;

TConfigItem *CameraRegistry::recordOfRow(int row)
{
    if (row < 0 || row >= m_list.count())
        return nullptr;
    const int index = m_list.row(row).record;
    if (index < 0 || index >= recordCount())
        return nullptr;
    return &record(index);
}

const TConfigItem &CameraRegistry::record(int index) const
{
    if (index < 0 || index >= m_recordCount)
        throw std::out_of_range("camera record index");
    return m_blocks[size_t(index / kRecordBlock)]->records[size_t(index % kRecordBlock)];
}

int CameraRegistry::appendRecord()
{
    if (m_recordCount % kRecordBlock == 0)
        m_blocks.push_back(std::make_unique<RecordBlock>());
    return m_recordCount++;
}

int CameraRegistry::freeRecord()
{
    for (int i = m_freeHint; i < recordCount(); ++i) {
        if (record(i).isFree()) {
            m_freeHint = i;
            return i;
        }
    }
    m_freeHint = recordCount();
    return appendRecord();
}

namespace {

// A new record for a saved address and the row that waits for its answer.
CameraList::Row SavedRow(CameraRegistry &registry, const QString &address)
{
    const int index = registry.appendRecord();
    registry.record(index).Address = address;
    CameraList::Row row;
    row.ip = address;
    row.record = index;
    row.counters = {1, 3, 0, 3, 0};
    row.icon = CameraList::Waiting;
    return row;
}

} // namespace

void CameraRegistry::addSavedRow(const QString &address)
{
    m_list.appendRow(SavedRow(*this, address));
}

namespace {

// A saved line is an address or a host name; anything longer is no camera.
constexpr qsizetype kMaxSavedLine = 255;

struct SavedLine {
    QByteArray text;
    bool tooLong = false;
};

// The lines of a file without their line breaks (CR LF, or a bare LF), read in blocks
// into one buffer: a line of any length costs no more memory than a block.
class SavedLineReader
{
public:
    explicit SavedLineReader(QIODevice &file) : m_file(file) {}

    // False at the end of the file.
    bool next(SavedLine *out)
    {
        SavedLine line;
        bool any = false;
        for (;;) {
            if (m_pos == m_size) {
                m_pos = 0;
                m_size = qMax<qint64>(0, m_file.read(m_block, sizeof m_block));
                if (m_size == 0)
                    break;
            }
            any = true;
            const char *start = m_block + m_pos;
            const qsizetype nl = QByteArrayView(start, m_size - m_pos).indexOf('\n');
            const qint64 n = nl >= 0 ? nl : m_size - m_pos;
            // One byte more than the longest line: room for the CR of a CR LF.
            if (line.tooLong || line.text.size() + n > kMaxSavedLine + 1) {
                line.tooLong = true;
                line.text.clear();
            } else {
                line.text.append(start, n);
            }
            m_pos += n + (nl >= 0 ? 1 : 0);
            if (nl >= 0)
                break;
        }
        if (!any)
            return false;
        if (line.text.endsWith('\r'))
            line.text.chop(1);
        if (line.text.size() > kMaxSavedLine) {
            line.tooLong = true;
            line.text.clear();
        }
        *out = std::move(line);
        return true;
    }

private:
    QIODevice &m_file;
    char m_block[16384];
    qint64 m_pos = 0;
    qint64 m_size = 0;
};

} // namespace

bool CameraRegistry::loadSavedList(const QString &path, int maxRows)
{
    // Only a plain file: a named pipe or a device put in its place would hold the
    // window's start until someone writes to it.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    // Lines end in CR LF; a bare LF is taken as well. A line too long to be an address
    // keeps its place among the lines but gives no row.
    QList<SavedLine> lines;
    qsizetype skipped = 0;
    SavedLineReader reader(file);
    SavedLine next;
    qsizetype usable = 0;
    bool capped = false;
    while (reader.next(&next)) {
        if (usable == maxRows) {
            // A file of millions of lines is not read to its end: one address past the
            // bound says enough. Empty or overlong lines there would give no row.
            if (!next.tooLong && !next.text.isEmpty()) {
                capped = true;
                break;
            }
            continue;
        }
        skipped += next.tooLong ? 1 : 0;
        usable += next.tooLong ? 0 : 1;
        lines.append(std::move(next));
    }
    const auto empty = [](const SavedLine &line) { return !line.tooLong && line.text.isEmpty(); };
    // The last line read is taken only when it is not empty.
    if (lines.size() > 1 && empty(lines.last()))
        lines.removeLast();
    if (lines.isEmpty() || empty(lines.first()))
        return false;
    if (skipped > 0) {
        qWarning("%s: %lld line(s) longer than %lld bytes skipped", qUtf8Printable(path),
                 static_cast<long long>(skipped), static_cast<long long>(kMaxSavedLine));
    }
    // Thousands of saved rows reach the view as one insertion.
    QList<CameraList::Row> rows;
    rows.reserve(lines.size() - skipped);
    for (const SavedLine &line : lines) {
        if (!line.tooLong)
            rows.append(SavedRow(*this, QString::fromLatin1(line.text)));
    }
    m_list.appendRows(rows);
    return capped;
}

bool CameraRegistry::saveList(const QString &path, Messenger &messenger)
{
    if (m_list.count() == 0 && !messenger.ask(GetString(3251), GetString(3252)))
        return false;
    if (!writeList(path)) {
        messenger.tell(GetString(3254), GetString(3184), Messenger::Style::Error);
        return false;
    }
    return true;
}

bool CameraRegistry::writeList(const QString &path) const
{
    QByteArray out;
    for (int i = 0; i < m_recordCount; ++i) {
        const TConfigItem &item = record(i);
        if (!item.Address.isEmpty())
            out += item.Address.toLatin1() + "\r\n";
    }
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.commit();
}

void CameraRegistry::clearList()
{
    // Every row's record is freed, then the rows go in one model reset: the end state of
    // removing them one by one, in linear time.
    for (int r = 0; r < m_list.count(); ++r) {
        if (TConfigItem *item = recordOfRow(r))
            item->zero();
    }
    m_list.clear();
    m_freeHint = 0;
    emit cleared();
}

void CameraRegistry::removeRow(int row)
{
    if (row < 0 || row >= m_list.count())
        return;
    const int index = m_list.row(row).record;
    if (TConfigItem *item = recordOfRow(row))
        item->zero();
    m_list.removeRow(row);
    if (index >= 0)
        m_freeHint = qMin(m_freeHint, index);
}

void CameraRegistry::refilter()
{
    QList<CameraList::Row> rows;
    const int slot = m_models.selected();
    for (int i = 0; i < recordCount(); ++i) {
        const TConfigItem &item = record(i);
        if (!item.Header)
            continue;
        if (slot != 0 && m_models.code(slot) != item.modelCode())
            continue;
        CameraList::Row row;
        row.caption = item.modelNameText();
        row.mac = item.macText();
        row.ip = item.Address;
        row.host = item.hostNameText();
        row.record = i;
        row.counters = {int(item.ConnectionKind), 3, 0, 3, 0};
        row.icon = CameraList::Present;
        rows.append(row);
    }
    m_list.resetRows(std::move(rows));
}
