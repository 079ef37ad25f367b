#include "app/DataFolderStart.h"

#include "app/Messages.h"
#include "common/Error.h"
#include "session/DataFolder.h"

namespace tavro {

bool startDataFolder(const DataFolder &folder, Messages &messages, QWidget *parent,
                     const std::function<void(const QString &)> &warn)
{
    try {
        prepareDataFolder(folder);
    } catch (const Error &error) {
        messages.error(parent, QString(), error.message());
        return false;
    }
    if (const QString warning = openFolderWarning(folder); !warning.isEmpty())
        warn(warning);
    return true;
}

} // namespace tavro
