#pragma once

#include <QObject>
#include <QString>

#include <limits>
#include <memory>
#include <utility>
#include <vector>

class CameraList;
class Messenger;
class ModelFilterTable;
struct TConfigItem;

// The cameras the main window knows: the record list and the camera-list rows that
// point into it. Records are never removed; clearing zeroes them for reuse.
class CameraRegistry final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CameraRegistry)

public:
    CameraRegistry(CameraList &list, ModelFilterTable &models, QObject *parent = nullptr);
    ~CameraRegistry() override;

    CameraList &list() { return m_list; }
    const CameraList &list() const { return m_list; }
    ModelFilterTable &models() { return m_models; }

    int recordCount() const { return m_recordCount; }
    // Throws std::out_of_range for an index past the records.
    TConfigItem &record(int index) { return const_cast<TConfigItem &>(std::as_const(*this).record(index)); }
    const TConfigItem &record(int index) const;
    // The record a row names in its column 3, or nullptr.
    TConfigItem *recordOfRow(int row);
    int appendRecord();
    // The first zeroed record, or a new one.
    int freeRecord();

    // The saved list: one address a line. An empty first line means an empty list. At
    // most maxRows rows are made, and reading stops there: true when addresses were left
    // out.
    bool loadSavedList(const QString &path, int maxRows = std::numeric_limits<int>::max());
    void addSavedRow(const QString &address);
    // Writes the address of every record in record order; asks first when the list has
    // no rows. False after a failed write (the "Write Error" message is shown) or a No.
    bool saveList(const QString &path, Messenger &messenger);
    // The same file without a question, in one atomic replacement; false when it could
    // not be written.
    bool writeList(const QString &path) const;
    void clearList();
    // The row goes and its record is freed for the next camera.
    void removeRow(int row);
    // Re-creates the rows of every answered record that passes the model filter.
    void refilter();

signals:
    void cleared();

private:
    CameraList &m_list;
    ModelFilterTable &m_models;
    // Records in blocks allocated whole: a record never moves (rows and dialogs hold on
    // to it), and tens of thousands of them cost no allocation each. The block is defined
    // with the record beside it in the source, so that a change to the record rebuilds
    // only what reads its fields, not everything that holds the registry.
    struct RecordBlock;
    std::vector<std::unique_ptr<RecordBlock>> m_blocks;
    int m_recordCount = 0;
    // No record below this index is free: a burst of new cameras does not rescan the
    // whole list for each one.
    int m_freeHint = 0;
};
