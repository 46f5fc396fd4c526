#pragma once

#include <QList>
#include <QString>

// The English default of a UI string id (3000..3305); empty for an id without one.
QString DefaultString(int id);
int DefaultStringCount();
QList<int> DefaultStringIds();
