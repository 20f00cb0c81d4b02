// The Qt user-interaction service: message boxes with the icon and buttons
// of their style, the answers they give, and the text prompt.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "QtTestHelpers.h"
#include "platform/qt/QtUserInteraction.h"
#include "support/TempDatabase.h"

namespace blastsearch {

namespace {

class QtUserInteractionTest : public ::testing::Test {
 protected:
  CQtUserInteraction m_service;
};

TEST_F(QtUserInteractionTest, MessageBoxesShowTheStylesIconAndAnswer) {
  struct Case {
    unsigned style;
    QMessageBox::Icon icon;
    QMessageBox::StandardButton press;
    int answer;
  } cases[] = {
      {MB_ICONINFORMATION, QMessageBox::Information, QMessageBox::Ok, IDOK},
      {MB_ICONSTOP, QMessageBox::Critical, QMessageBox::Ok, IDOK},
      {MB_ICONEXCLAMATION, QMessageBox::Warning, QMessageBox::Ok, IDOK},
      {MB_OK, QMessageBox::NoIcon, QMessageBox::Ok, IDOK},
      {MB_ICONQUESTION, QMessageBox::Question, QMessageBox::Yes, IDYES},
      {MB_ICONQUESTION, QMessageBox::Question, QMessageBox::No, IDNO},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    QString text;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) {
        ADD_FAILURE() << "no message box";
        return;
      }
      shown = box->icon();
      text = box->text();
      QAbstractButton* button = box->button(c.press);
      if (button == nullptr) {
        ADD_FAILURE() << "no such button";
        box->close();
        return;
      }
      QTest::mouseClick(button, Qt::LeftButton);
    });
    EXPECT_EQ(AfxMessageBox("Three results found", c.style), c.answer);
    EXPECT_EQ(shown, c.icon);
    EXPECT_EQ(text, "Three results found");
  }
}

TEST_F(QtUserInteractionTest, EditTextProposesTheTextAndCancelKeepsIt) {
  for (bool accept : {true, false}) {
    QTimer::singleShot(0, [accept] {
      auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return ADD_FAILURE() << "no prompt";
      EXPECT_EQ(dialog->textValue(), "Search Results");
      EXPECT_EQ(dialog->labelText(), "Add New BLAST Result Subbase");
      auto* edit = dialog->findChild<QLineEdit*>();
      edit->selectAll();
      QTest::keyClicks(edit, "kinases");
      if (accept) {
        dialog->accept();
      } else {
        dialog->reject();
      }
    });
    std::string name = "Search Results";
    EXPECT_EQ(UserInteraction().EditText("Add New BLAST Result Subbase", name),
              accept ? IDOK : IDCANCEL);
    EXPECT_EQ(name, accept ? "kinases" : "Search Results");
  }
}

TEST_F(QtUserInteractionTest, FileDialogTakesExtensionNameAndOptions) {
  CTempDir dir("files");
  const std::string initial = (dir.Path() / "result").string();
  for (bool accept : {false, true}) {
    QTimer::singleShot(0, [accept] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return ADD_FAILURE() << "no file dialog";
      EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
      EXPECT_EQ(dialog->defaultSuffix(), "bqt");
      EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
      EXPECT_EQ(dialog->nameFilters(), QStringList{"Transfer files (*.bqt *.bst)"});
      if (accept) {
        static_cast<QDialog*>(dialog)->accept();  // as its Save button does
      } else {
        dialog->reject();
      }
    });
    FileDialogRequest request;
    request.bOpen = false;
    request.strDefExt = "bqt";
    request.strFileName = initial;
    request.strFilter = "Transfer files|*.bqt;*.bst||";
    request.nFlags = OFN_OVERWRITEPROMPT;
    std::string path = "unchanged";
    EXPECT_EQ(UserInteraction().ChooseFile(request, path), accept ? IDOK : IDCANCEL);
    EXPECT_EQ(path, accept ? initial + ".bqt" : "unchanged");
  }
}

}  // namespace

}  // namespace blastsearch
