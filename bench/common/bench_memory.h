#pragma once

// Memory per camera, measured in a process of its own: a process that ran bursts before
// keeps their freed heap and would show later rows as nearly free. The benchmark starts
// itself again with a child flag; the child prints one "memory-figure" line that the
// parent reads back.
#include <QString>
#include <QStringList>

#include <optional>

namespace BenchMemory {

// What the process holds now: heap bytes in use (malloc's own count, chunk overhead
// included) and the resident set.
struct Sample {
    double heapBytes = 0;
    double rssBytes = 0;
};
Sample sample();

struct Figure {
    int cameras = 0;
    int listed = 0;
    Sample start;   // the empty start: window (or list) up, fleet ready, nothing listed
    Sample end;     // every row listed, the events it posted handled
    double heapPerCamera() const { return listed > 0 ? (end.heapBytes - start.heapBytes) / listed : 0; }
    double rssPerCamera() const { return listed > 0 ? (end.rssBytes - start.rssBytes) / listed : 0; }
};

// The child's last line.
void print(const Figure &figure);
// Runs this program again with arguments and reads the child's figure; nothing when
// the child failed or printed none within the deadline.
std::optional<Figure> runChild(const QStringList &arguments, int deadlineMs = 120000);

// "812 B heap, 790 B resident"
QString perCameraText(const Figure &figure);

} // namespace BenchMemory
