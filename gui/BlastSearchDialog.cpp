// The dialog that runs a BLAST search and stores its results as they come.

#include "gui/BlastSearchDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStyle>
#include <QTemporaryFile>
#include <QVBoxLayout>
#include <chrono>
#include <cstdlib>
#include <type_traits>

#include "host/db/DBEngine.h"
#include "platform/UserInteraction.h"
#include "run/BlastPrograms.h"
#include "run/HttpClient.h"
#include "run/NcbiBlast.h"
#include "run/RemoteRequests.h"
#include "run/RunClock.h"
#include "table/BlastSearchTable.h"

namespace blastsearch {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The database's remote requests asked for from a search's worker thread:
// each call runs on the thread of `owner` (the database's) and waits.
class CRequestsOnWindowThread : public CRemoteRequestStore {
 public:
  CRequestsOnWindowThread(QObject* owner, CRemoteRequestStore& store)
      : m_pOwner(owner), m_store(store) {}
  std::vector<CRemoteRequest> Read(std::string& error) override {
    return OnOwner([&] { return m_store.Read(error); });
  }
  bool Save(const CRemoteRequest& request, std::string& error) override {
    return OnOwner([&] { return m_store.Save(request, error); });
  }
  bool Forget(const std::string& rid, std::string& error) override {
    return OnOwner([&] { return m_store.Forget(rid, error); });
  }

 private:
  template <class F>
  std::invoke_result_t<F> OnOwner(F call) {
    std::invoke_result_t<F> result{};
    QMetaObject::invokeMethod(
        m_pOwner, [&] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
  }
  QObject* m_pOwner;
  CRemoteRequestStore& m_store;
};

std::unique_ptr<QSettings> OpenSettings(const QString& file) {
  if (file.isEmpty())
    return std::make_unique<QSettings>(QStringLiteral("blastsearch"),
                                       QStringLiteral("blastsearch"));
  return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

}  // namespace

CBlastSearchDialog::CBlastSearchDialog(std::string databaseDir, std::string subbase,
                                       QWidget* parent, const QString& settingsFile)
    : QDialog(parent),
      m_strDatabaseDir(std::move(databaseDir)),
      m_strSubbase(std::move(subbase)),
      m_strSettingsFile(settingsFile) {
  setWindowTitle(QStringLiteral("New BLAST Search"));
  MakeWidgets();
  UpdateControls();
}

CBlastSearchDialog::~CBlastSearchDialog() {
  if (!m_thread.joinable()) return;
  m_nStop = 1;
  // The worker may wait for this thread to store a result: let it, until its
  // end is announced (OnFinished joins it).
  while (m_thread.joinable()) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void CBlastSearchDialog::MakeWidgets() {
  const std::unique_ptr<QSettings> settings = OpenSettings(m_strSettingsFile);
  auto* form = new QFormLayout;
  m_pProgram = new QComboBox(this);
  for (const std::string& name : BlastProgramNames()) m_pProgram->addItem(Q(name));
  m_pProgram->setCurrentText(settings->value(QStringLiteral("blast/program"), "blastp").toString());
  form->addRow(QStringLiteral("&Program:"), m_pProgram);

  m_pQueryText = new QPlainTextEdit(this);
  m_pQueryText->setPlaceholderText(QStringLiteral(">query\nMKVLAAGIVALLLAA..."));
  m_pQueryText->setMinimumHeight(90);
  form->addRow(QStringLiteral("&Queries (FASTA):"), m_pQueryText);
  m_pQueryFile = new QLineEdit(this);
  m_pQueryFile->setPlaceholderText(QStringLiteral("or a FASTA file"));
  auto* queryRow = new QHBoxLayout;
  queryRow->addWidget(m_pQueryFile);
  auto* queryBrowse = new QPushButton(QStringLiteral("File..."), this);
  queryRow->addWidget(queryBrowse);
  form->addRow(QStringLiteral("Query &file:"), queryRow);
  connect(queryBrowse, &QPushButton::clicked, this, [this] { ChooseQueryFile(); });

  m_pLocal = new QRadioButton(QStringLiteral("&Local database:"), this);
  m_pLocalDb = new QLineEdit(settings->value(QStringLiteral("blast/localDb")).toString(), this);
  auto* localRow = new QHBoxLayout;
  localRow->addWidget(m_pLocalDb);
  auto* dbBrowse = new QPushButton(QStringLiteral("Browse..."), this);
  localRow->addWidget(dbBrowse);
  form->addRow(m_pLocal, localRow);
  connect(dbBrowse, &QPushButton::clicked, this, [this] { ChooseLocalDb(); });
  m_pRemote = new QRadioButton(QStringLiteral("&NCBI database:"), this);
  m_pNcbiDb = new QComboBox(this);
  m_pNcbiDb->setEditable(true);
  m_pNcbiDb->addItems({"nr", "swissprot", "refseq_protein", "pdb", "nt", "refseq_rna", "core_nt"});
  form->addRow(m_pRemote, m_pNcbiDb);
  m_pEmail = new QLineEdit(settings->value(QStringLiteral("blast/email")).toString(), this);
  m_pEmail->setPlaceholderText(QStringLiteral("your email address, which NCBI asks for"));
  form->addRow(QStringLiteral("&Email for NCBI:"), m_pEmail);
  (settings->value(QStringLiteral("blast/remote")).toBool() ? m_pRemote : m_pLocal)
      ->setChecked(true);
  connect(m_pLocal, &QRadioButton::toggled, this, [this] { UpdateControls(); });

  m_pEvalue = new QLineEdit(settings->value(QStringLiteral("blast/evalue"), "10").toString(), this);
  form->addRow(QStringLiteral("&E value:"), m_pEvalue);
  m_pMaxHits = new QSpinBox(this);
  m_pMaxHits->setRange(1, 5000);
  m_pMaxHits->setValue(settings->value(QStringLiteral("blast/maxHits"), 100).toInt());
  form->addRow(QStringLiteral("&Most hits:"), m_pMaxHits);

  m_pProgress = new QProgressBar(this);
  m_pProgress->setRange(0, 1);
  m_pProgress->setValue(0);
  m_pProgress->setTextVisible(false);
  m_pStatus = new QLabel(this);
  m_pStatus->setWordWrap(true);
  m_pResults = new QListWidget(this);
  m_pResults->setMinimumHeight(80);

  auto* buttons = new QDialogButtonBox(this);
  m_pStart = buttons->addButton(QStringLiteral("&Search"), QDialogButtonBox::AcceptRole);
  m_pCancel = buttons->addButton(QDialogButtonBox::Cancel);
  connect(m_pStart, &QPushButton::clicked, this, [this] { Start(); });
  connect(m_pCancel, &QPushButton::clicked, this, [this] { reject(); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(m_pProgress);
  layout->addWidget(m_pStatus);
  layout->addWidget(new QLabel(QStringLiteral("Results stored:"), this));
  layout->addWidget(m_pResults);
  layout->addWidget(buttons);
  resize(560, 600);
}

void CBlastSearchDialog::ChooseQueryFile() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Queries"), {},
                                                    QStringLiteral("FASTA (*.fa *.fasta *.faa "
                                                                   "*.fna *.txt);;All files (*)"));
  if (!path.isEmpty()) m_pQueryFile->setText(path);
}

void CBlastSearchDialog::ChooseLocalDb() {
  // A BLAST+ database is named by its files without their extension.
  QString path = QFileDialog::getOpenFileName(
      this, QStringLiteral("BLAST+ database"), m_pLocalDb->text(),
      QStringLiteral("BLAST+ databases (*.pin *.pal *.nin *.nal);;All files (*)"));
  if (path.isEmpty()) return;
  for (const char* extension : {".pin", ".pal", ".nin", ".nal", ".psq", ".nsq", ".phr", ".nhr"}) {
    if (path.endsWith(QLatin1String(extension))) path.chop(4);
  }
  m_pLocalDb->setText(path);
}

void CBlastSearchDialog::Remember() {
  const std::unique_ptr<QSettings> settings = OpenSettings(m_strSettingsFile);
  settings->setValue(QStringLiteral("blast/program"), m_pProgram->currentText());
  settings->setValue(QStringLiteral("blast/localDb"), m_pLocalDb->text());
  settings->setValue(QStringLiteral("blast/remote"), m_pRemote->isChecked());
  settings->setValue(QStringLiteral("blast/email"), m_pEmail->text());
  settings->setValue(QStringLiteral("blast/evalue"), m_pEvalue->text());
  settings->setValue(QStringLiteral("blast/maxHits"), m_pMaxHits->value());
}

QString CBlastSearchDialog::MakeRequest(CBlastSearchRequest& request) {
  request.m_strProgram = m_pProgram->currentText().toStdString();
  request.m_strEvalue = m_pEvalue->text().trimmed().toStdString();
  bool number = false;
  m_pEvalue->text().trimmed().toDouble(&number);
  if (!number) return QStringLiteral("The E value is not a number.");
  request.m_nMaxHits = m_pMaxHits->value();
  request.m_strBlastBin = m_strBlastBin;
  if (m_pRemote->isChecked()) {
    request.m_strDatabase = m_pNcbiDb->currentText().trimmed().toStdString();
    if (request.m_strDatabase.empty()) return QStringLiteral("Name NCBI's database to search.");
    if (m_pEmail->text().trimmed().isEmpty()) {
      return QStringLiteral("NCBI asks for an email address with each search.");
    }
  } else {
    request.m_strDatabase = m_pLocalDb->text().trimmed().toStdString();
    if (request.m_strDatabase.empty()) return QStringLiteral("Choose a local BLAST+ database.");
  }
  const QString file = m_pQueryFile->text().trimmed();
  if (!file.isEmpty()) {
    request.m_strQuery = file.toStdString();
    return {};
  }
  const QString text = m_pQueryText->toPlainText().trimmed();
  if (text.isEmpty()) return QStringLiteral("Paste the queries or name a FASTA file.");
  m_pQueryCopy = std::make_unique<QTemporaryFile>();
  const QByteArray bytes = (text + '\n').toUtf8();
  if (!m_pQueryCopy->open() || m_pQueryCopy->write(bytes) != bytes.size() ||
      !m_pQueryCopy->flush()) {
    return QStringLiteral("The queries could not be written to a temporary file.");
  }
  request.m_strQuery = m_pQueryCopy->fileName().toStdString();
  return {};
}

bool CBlastSearchDialog::Start() {
  if (IsRunning()) return false;
  CBlastSearchRequest request;
  if (const QString missing = MakeRequest(request); !missing.isEmpty()) {
    UserInteraction().ShowMessage(missing.toStdString(), MB_ICONEXCLAMATION);
    return false;
  }
  Remember();
  m_pResults->clear();
  m_nStop = 0;
  m_pProgress->setRange(0, 0);  // busy
  m_pStatus->setText(QStringLiteral("Starting ") + m_pProgram->currentText() + "...");
  const bool remote = m_pRemote->isChecked();
  if (remote) {
    std::string warning;
    m_pRequests = OpenRemoteRequests(*engine().Storage(1), m_strDatabaseDir, warning);
    if (!warning.empty()) m_pStatus->setText(Q("warning: " + warning));
  }
  std::string email = m_pEmail->text().trimmed().toStdString();
  m_thread = std::thread([this, request, remote, email] { Run(request, remote, email); });
  UpdateControls();
  return true;
}

void CBlastSearchDialog::Run(CBlastSearchRequest request, bool remote, std::string email) {
  CSearchRunHooks hooks;
  hooks.m_pStop = &m_nStop;
  const CResultStore store = MakeTableStore(blastSearch(), m_strSubbase);
  // Stored on the window's thread, which owns the database.
  hooks.m_store = [this, &store](CBlastSearchObject& object, std::string_view digest,
                                 std::string& name) {
    int result = 0;
    QMetaObject::invokeMethod(
        this,
        [&] {
          try {
            result = store(object, digest, name);
          } catch (const std::exception& e) {
            name = e.what();
          }
        },
        Qt::BlockingQueuedConnection);
    return result;
  };
  hooks.m_stored = [this](std::size_t, const std::string& name) {
    QMetaObject::invokeMethod(
        this, [this, name] { OnStored(name); }, Qt::QueuedConnection);
  };
  hooks.m_status = [this](const std::string& line) {
    QMetaObject::invokeMethod(
        this, [this, line] { m_pStatus->setText(Q(line)); }, Qt::QueuedConnection);
  };
  CBlastRunOutcome outcome;
  if (remote) {
    CNcbiSettings settings;
    settings.m_strEmail = email;
    // The address the command line also takes (a test's own server, a mirror).
    if (const char* url = std::getenv("BLASTSEARCH_NCBI_URL"); url != nullptr && *url != '\0') {
      settings.m_strUrl = url;
    }
    CHttpSettings http;
    http.m_pStop = &m_nStop;
    const std::unique_ptr<CHttpClient> client = MakeCurlClient(http);
    CNcbiBlastClient ncbi(*client, SystemRunClock(), settings, &m_nStop);
    CRequestsOnWindowThread requests(this, *m_pRequests);
    outcome = RunRemoteSearch(request, {}, ncbi, requests, m_strDatabaseDir, hooks);
  } else {
    outcome = RunLocalSearch(request, hooks);
  }
  QMetaObject::invokeMethod(
      this, [this, outcome] { OnFinished(outcome); }, Qt::QueuedConnection);
}

void CBlastSearchDialog::OnStored(const std::string& name) {
  m_pResults->addItem(Q(name));
  m_pStatus->setText(QStringLiteral("%1 stored: %2").arg(m_pResults->count()).arg(Q(name)));
  if (m_stored) m_stored(name);
}

void CBlastSearchDialog::OnFinished(const CBlastRunOutcome& outcome) {
  if (m_thread.joinable()) m_thread.join();
  m_pRequests.reset();
  m_outcome = outcome;
  m_pQueryCopy.reset();
  m_pProgress->setRange(0, 1);
  m_pProgress->setValue(1);
  std::string line = DescribeRunOutcome(outcome);
  if (outcome.m_bResumable) {
    line += "; resume with: blastsearch blast " + m_pProgram->currentText().toStdString() +
            " --rid " + outcome.m_strRid;
  }
  m_pStatus->setText(Q(line));
  UpdateControls();
  if (outcome.m_status == CBlastRunOutcome::kFailed) {
    UserInteraction().ShowMessage("The BLAST search failed: " + outcome.m_strError + "\n" + line,
                                  MB_ICONSTOP);
  }
}

void CBlastSearchDialog::Stop() {
  if (!IsRunning()) return;
  m_nStop = 1;
  m_pStatus->setText(QStringLiteral("Stopping..."));
}

void CBlastSearchDialog::reject() {
  if (IsRunning()) {
    Stop();
    return;
  }
  QDialog::reject();
}

void CBlastSearchDialog::UpdateControls() {
  const bool running = IsRunning();
  for (QWidget* widget :
       std::initializer_list<QWidget*>{m_pProgram, m_pQueryText, m_pQueryFile, m_pLocal, m_pRemote,
                                       m_pEvalue, m_pMaxHits, m_pStart}) {
    widget->setEnabled(!running);
  }
  m_pLocalDb->setEnabled(!running && m_pLocal->isChecked());
  m_pNcbiDb->setEnabled(!running && m_pRemote->isChecked());
  m_pEmail->setEnabled(!running && m_pRemote->isChecked());
  m_pCancel->setText(running ? QStringLiteral("Cancel") : QStringLiteral("Close"));
}

}  // namespace blastsearch
