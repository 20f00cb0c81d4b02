#include "platform/qt/QtUserInteraction.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QVBoxLayout>

namespace blastsearch {

namespace {

// A small window with the title and the message of a long operation.
class CQtProgressDisplay : public CProgressDisplay {
 public:
  explicit CQtProgressDisplay(QWidget* parent) : m_window(parent, Qt::Dialog) {
    auto* layout = new QVBoxLayout(&m_window);
    m_pLabel = new QLabel(&m_window);
    m_pLabel->setMinimumWidth(320);
    layout->addWidget(m_pLabel);
    m_window.show();
    QApplication::processEvents();
  }
  void SetTitle(const std::string& title) override {
    m_window.setWindowTitle(QString::fromStdString(title));
  }
  void SetMessage(const std::string& message) override {
    m_pLabel->setText(QString::fromStdString(message));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }

 private:
  QWidget m_window;
  QLabel* m_pLabel;
};

// "Name|*.a;*.b|Other|*.c" as Qt's "Name (*.a *.b);;Other (*.c)".
QString QtFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) continue;
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    out << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return out.join(QStringLiteral(";;"));
}

}  // namespace

QString QtFileFilter(const std::string& filter) { return QtFilter(filter); }

int MessageIconOf(unsigned style) {
  switch (style & 0xF0u) {
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONSTOP:
      return QMessageBox::Critical;
    default:
      return QMessageBox::NoIcon;
  }
}

QWidget* CQtUserInteraction::Parent() const {
  return m_pParent != nullptr ? m_pParent : QApplication::activeWindow();
}

int CQtUserInteraction::ShowMessage(const std::string& text, unsigned style) {
  const auto icon = static_cast<QMessageBox::Icon>(MessageIconOf(style));
  const bool question = icon == QMessageBox::Question;
  QMessageBox box(icon, QApplication::applicationDisplayName(), QString::fromStdString(text),
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, Parent());
  const int answer = box.exec();
  if (question) return answer == QMessageBox::Yes ? IDYES : IDNO;
  return IDOK;
}

int CQtUserInteraction::ChooseFile(const FileDialogRequest& request, std::string& path) {
  QFileDialog dialog(Parent());
  dialog.setAcceptMode(request.bOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  const bool several = request.bOpen && (request.nFlags & OFN_ALLOWMULTISELECT) != 0;
  dialog.setFileMode(several         ? QFileDialog::ExistingFiles
                     : request.bOpen ? QFileDialog::ExistingFile
                                     : QFileDialog::AnyFile);
  if (!request.strDefExt.empty())
    dialog.setDefaultSuffix(QString::fromStdString(request.strDefExt));
  if (!request.strFilter.empty()) dialog.setNameFilter(QtFilter(request.strFilter));
  if (!request.strFileName.empty()) dialog.selectFile(QString::fromStdString(request.strFileName));
  if ((request.nFlags & OFN_OVERWRITEPROMPT) == 0) {
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return IDCANCEL;
  path = several ? dialog.selectedFiles().join('\n').toStdString()
                 : dialog.selectedFiles().front().toStdString();
  return IDOK;
}

int CQtUserInteraction::PromptText(const std::string& prompt, std::string& text) {
  std::string answer;
  if (EditText(prompt, answer) != IDOK) return IDCANCEL;
  text = answer;
  return IDOK;
}

int CQtUserInteraction::EditText(const std::string& prompt, std::string& text) {
  bool ok = false;
  const QString answer = QInputDialog::getText(Parent(), QApplication::applicationDisplayName(),
                                               QString::fromStdString(prompt), QLineEdit::Normal,
                                               QString::fromStdString(text), &ok);
  if (!ok) return IDCANCEL;
  text = answer.toStdString();
  return IDOK;
}

std::unique_ptr<CProgressDisplay> CQtUserInteraction::OpenProgress() {
  return std::make_unique<CQtProgressDisplay>(Parent());
}

}  // namespace blastsearch
