#pragma once

#include <QString>

class QWidget;

// The save dialog of an export offered as CSV or JSON: the path chosen, with the chosen
// type's extension when the name typed has neither; empty when cancelled.
class ExportFileDialog final
{
public:
    static QString ask(QWidget *parent, const QString &title);
    // A name typed without .csv or .json gets the chosen type's, so that the file opens
    // as what it is; a name that has one keeps it (the content follows it).
    static QString fileName(const QString &typed, bool json);
};
