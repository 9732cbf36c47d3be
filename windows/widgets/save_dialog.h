#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Asks where to save (starting in `last_dir` when set), saves with `save`,
// and tells the operator when that failed. Returns the path saved to, or an
// empty string when nothing was saved; `last_dir` follows a successful save.
QString save_with_dialog(QWidget *parent, const QString &title, const QString &suggested_name, const QString &filter,
                         QString *last_dir, const std::function<bool(const QString &path, QString *error)> &save);
