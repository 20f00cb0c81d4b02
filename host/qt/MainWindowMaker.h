#pragma once

#include <QStringList>
#include <memory>

#include "platform/Export.h"

class QWidget;

namespace blastsearch BLASTSEARCH_EXPORT {

// The main window of the host's window program, as a loaded extension
// module offers it: the program links no extension and shows what the
// modules it loaded registered here.
//
// A maker makes the window over the open database (number 1), shows it and
// opens `files` in it (results, archives, reports); the caller owns the
// window and must destroy it before the module that made it is unloaded.
// Null when it could not be made (after telling the person why).
using MainWindowMaker = std::unique_ptr<QWidget> (*)(const QStringList& files);

// Adds `maker` (once) after those registered before; a module registers its
// maker while it loads. Used from the window thread.
void RegisterMainWindowMaker(MainWindowMaker maker);
// Removes `maker`; nothing when it is not registered. A module removes its
// maker when it is unloaded.
void UnregisterMainWindowMaker(MainWindowMaker maker);
// The maker registered last and still registered; null when no loaded
// module offers a main window.
MainWindowMaker RegisteredMainWindowMaker();

}  // namespace BLASTSEARCH_EXPORT
