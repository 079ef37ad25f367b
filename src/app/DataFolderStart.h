#pragma once

#include <functional>

class QString;
class QWidget;

namespace tavro {

class Messages;
struct DataFolder;

// The window's data folder at start, before the database opens: made and checked, and a
// folder others can read warned of through `warn` (into "Erros"). False, after one box naming
// the folder and the reason, when it cannot be used; the program then ends, having sent
// nothing.
bool startDataFolder(const DataFolder &folder, Messages &messages, QWidget *parent,
                     const std::function<void(const QString &)> &warn);

} // namespace tavro
