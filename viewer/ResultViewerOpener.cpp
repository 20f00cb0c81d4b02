#include "viewer/ResultViewerOpener.h"

#include <QApplication>
#include <memory>
#include <string>

#include "host/db/DBEngine.h"
#include "host/db/ObjInfo.h"
#include "platform/UserInteraction.h"
#include "table/BlastSearchObject.h"
#include "table/BlastSearchTable.h"
#include "viewer/ResultViewer.h"

namespace blastsearch {

int OpenResultViewer(CObjInfo* info) {
  if (info == nullptr) return 0;
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    // A program without windows (the command line) has nowhere to show it.
    AfxMessageBox(
        "The BLAST result \"" + info->m_name + "\" can only be opened in the window program.",
        MB_ICONSTOP);
    return 0;
  }
  std::unique_ptr<CDBObjectBase> object(
      blastSearch().GetObjectData(info->m_objId, info->m_name.c_str(), 1));
  auto* result = dynamic_cast<CBlastSearchObject*>(object.get());
  if (result == nullptr) {
    AfxMessageBox("The BLAST result \"" + info->m_name + "\" can't be read from the database.",
                  MB_ICONSTOP);
    return 0;
  }
  auto* viewer = new CResultViewer(result->Entry(), result->m_name);
  viewer->setAttribute(Qt::WA_DeleteOnClose);
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
  return 1;
}

namespace {

// Registers the viewer of BLAST results with the host's engine while the
// library is loaded.
class CResultViewerRegistration {
 public:
  CResultViewerRegistration() {
    engine().SetObjectViewer(CBlastSearchObject::objtype(), &OpenResultViewer);
  }
  ~CResultViewerRegistration() { engine().SetObjectViewer(CBlastSearchObject::objtype(), {}); }
  CResultViewerRegistration(const CResultViewerRegistration&) = delete;
  CResultViewerRegistration& operator=(const CResultViewerRegistration&) = delete;
};

const CResultViewerRegistration theRegistration;

}  // namespace

}  // namespace blastsearch
