#pragma once

#include <QString>

#include <functional>

class QWidget;

// The open-file dialog of the upload pages. The filter has the form "Name|pattern"
// ("All Files|*.*", "Gif Image|*.gif"); an empty filter shows every file. Returns the
// chosen existing file, empty when cancelled. Tests put their own chooser in its place.
using OpenFileChooser = std::function<QString(QWidget *parent, const QString &title,
                                              const QString &filter, const QString &initialName)>;

QString RunOpenFileDialog(QWidget *parent, const QString &title, const QString &filter,
                          const QString &initialName);
// "All Files|*.*" as the platform's dialog reads it: "All Files (*)". "*.*" means every
// file there, also those without a dot ("fimage").
QString QtFileFilter(const QString &filter);
