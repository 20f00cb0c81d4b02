#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/Export.h"
#include "run/RemoteRequests.h"
#include "run/SearchRun.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTemporaryFile;

namespace blastsearch BLASTSEARCH_EXPORT {

// "New BLAST Search...": program, queries (pasted FASTA or a file), a local
// BLAST+ database (chosen with a file dialog and remembered) or one of
// NCBI's, E value and most hits. The search runs on a worker thread with
// progress and Cancel; each query's result is stored on the window's thread
// as soon as it is read (the database is used from that thread only) and
// announced to the stored handler. A failure is shown in a message naming
// its cause. Closing the dialog stops a running search.
class CBlastSearchDialog : public QDialog {
 public:
  // A dialog that stores into database 1's subbase `subbase`; `databaseDir`
  // keeps NCBI's request IDs (see run/RemoteRequests.h). `settingsFile`: the
  // file that remembers the choices (empty: the user's settings).
  CBlastSearchDialog(std::string databaseDir, std::string subbase, QWidget* parent = nullptr,
                     const QString& settingsFile = {});
  // Stops a running search and waits for its end.
  ~CBlastSearchDialog() override;

  // Called on the window's thread with the name of each result stored.
  void SetStoredHandler(std::function<void(const std::string&)> handler) {
    m_stored = std::move(handler);
  }
  // The folder of the BLAST+ programs; empty (the default): found on PATH.
  void SetBlastBin(std::string dir) { m_strBlastBin = std::move(dir); }

  // Starts the search as the dialog is filled: false, with a message saying
  // what is missing, when it cannot.
  bool Start();
  // Asks a running search to stop (it keeps what was stored).
  void Stop();
  bool IsRunning() const { return m_thread.joinable(); }
  // What came of the last search that ended.
  const CBlastRunOutcome& LastOutcome() const { return m_outcome; }

  QComboBox* m_pProgram;
  QPlainTextEdit* m_pQueryText;  // pasted FASTA, used when no file is named
  QLineEdit* m_pQueryFile;
  QRadioButton* m_pLocal;
  QRadioButton* m_pRemote;
  QLineEdit* m_pLocalDb;
  QComboBox* m_pNcbiDb;
  QLineEdit* m_pEmail;
  QLineEdit* m_pEvalue;
  QSpinBox* m_pMaxHits;
  QPushButton* m_pStart;
  QPushButton* m_pCancel;  // stops a running search, else closes
  QProgressBar* m_pProgress;
  QLabel* m_pStatus;
  QListWidget* m_pResults;  // the results stored by the last search

 protected:
  void reject() override;

 private:
  void MakeWidgets();
  void ChooseQueryFile();
  void ChooseLocalDb();
  void Remember();
  // Why the dialog cannot start; empty when it can. Fills `request`.
  QString MakeRequest(CBlastSearchRequest& request);
  void Run(CBlastSearchRequest request, bool remote, std::string email);
  void OnStored(const std::string& name);
  void OnFinished(const CBlastRunOutcome& outcome);
  void UpdateControls();

  std::string m_strDatabaseDir;
  std::string m_strSubbase;
  QString m_strSettingsFile;
  std::string m_strBlastBin;
  std::function<void(const std::string&)> m_stored;
  std::unique_ptr<QTemporaryFile> m_pQueryCopy;  // the pasted queries while they are searched
  // The remote requests of the database (used on this thread only: the
  // worker asks through it) while a remote search runs.
  std::unique_ptr<CRemoteRequestStore> m_pRequests;
  volatile int m_nStop = 0;
  std::thread m_thread;
  CBlastRunOutcome m_outcome;
};

}  // namespace BLASTSEARCH_EXPORT
