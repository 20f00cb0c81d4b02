#include "host/qt/EditorSheetDialog.h"

#include <QApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "host/OrvMessageBox.h"
#include "host/db/DBFunctions.h"
#include "host/editor/EditCommentsPage.h"
#include "host/editor/EditGeneralPage.h"
#include "host/editor/EditKeywordsPage.h"
#include "host/editor/EditUDFieldsPage.h"
#include "host/editor/EditorPropSheet.h"
#include "host/qt/HostControls.h"
#include "host/qt/LocalTime.h"
#include "host/qt/ScreenFit.h"
#include "platform/DialogLayout.h"
#include "platform/UserInteraction.h"
#include "platform/qt/DialogBuilder.h"

namespace blastsearch {

namespace {

QString ToQ(const std::string& text) { return QString::fromStdString(text); }
std::string FromQ(const QString& text) { return text.toStdString(); }

QString TimeText(long seconds) {
  if (seconds == 0) return QObject::tr("not yet stored");
  return LocalTimeText(seconds);
}

// Whether `text` is a number as a number field takes it ("12", "-0.5",
// "1e-10"), nothing else around it.
bool IsNumber(const std::string& text) {
  bool ok = false;
  const double value = QString::fromStdString(text).trimmed().toDouble(&ok);
  return ok && std::isfinite(value);
}

QLineEdit* ReadOnlyLine(const QString& text, const char* name) {
  auto* line = new QLineEdit(text);
  line->setReadOnly(true);
  line->setFrame(false);
  line->setObjectName(name);
  return line;
}

}  // namespace

// One tab: its widget, and the check and write-back of what it edits.
class CEditorSheetDialog::CFace {
 public:
  virtual ~CFace() = default;
  // The tab's widget (owned by the tab widget once added).
  QWidget* Widget() const { return m_pWidget; }
  // 1 when what the tab holds may be written; 0 after telling the person.
  virtual int Validate() { return 1; }
  // Writes the tab into the page's members.
  virtual void Save() {}

 protected:
  QWidget* m_pWidget = new QWidget;
};

namespace {

using CFace = CEditorSheetDialog::CFace;

// Name and record facts of the general page.
class CGeneralFace : public CFace {
 public:
  explicit CGeneralFace(CEditGeneralPage& page) : m_page(page) {
    auto* form = new QFormLayout(m_pWidget);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    m_pName = new QLineEdit(ToQ(page.m_name));
    m_pName->setObjectName("nameEdit");
    m_pName->setReadOnly(!page.IsNameEditable());
    m_pName->setMaxLength(250);
    form->addRow(QObject::tr("&Name:"), m_pName);
    form->addRow(QObject::tr("Kind:"), ReadOnlyLine(ToQ(page.m_typeName), "kindText"));
    const QString number =
        page.m_recordNumber != 0 ? QString::number(page.m_recordNumber) : QObject::tr("not set");
    form->addRow(QObject::tr("Record number:"), ReadOnlyLine(number, "recordNumberText"));
    m_pAuthor = new QLineEdit(ToQ(page.m_author));
    m_pAuthor->setObjectName("authorEdit");
    m_pAuthor->setPlaceholderText(QObject::tr("unknown"));
    m_pAuthor->setMaxLength(250);
    form->addRow(QObject::tr("&Author:"), m_pAuthor);
    form->addRow(QObject::tr("Created:"),
                 ReadOnlyLine(TimeText(page.m_creationTime), "createdText"));
  }
  int Validate() override {
    const std::string name = FromQ(m_pName->text().trimmed());
    if (name.empty()) {
      OrvMessageBox("Please give the object a name.", MB_ICONSTOP, 0);
      m_pName->setFocus();
      return 0;
    }
    if (check_string_value(name, m_pName, nullptr) == 0) return 0;
    return check_string_value(FromQ(m_pAuthor->text().trimmed()), m_pAuthor, nullptr);
  }
  void Save() override {
    m_page.m_name = FromQ(m_pName->text().trimmed());
    m_page.m_author = FromQ(m_pAuthor->text().trimmed());
  }

 private:
  CEditGeneralPage& m_page;
  QLineEdit* m_pName;
  QLineEdit* m_pAuthor;
};

// A scroll area that asks for room for the whole of what it holds; it
// scrolls only when the window is made smaller than that.
class CWholeArea : public QScrollArea {
 public:
  QSize sizeHint() const override {
    if (widget() == nullptr) return QScrollArea::sizeHint();
    const int frame = 2 * frameWidth();
    return widget()->size() + QSize(frame, frame);
  }
};

// The extra page of the object's table, built from its dialog layout. The
// page stores nothing, so its controls are shown but not editable.
class CLayoutFace : public CFace {
 public:
  explicit CLayoutFace(const CDialogLayout& layout) {
    auto* area = new CWholeArea;
    area->setObjectName("layoutArea");
    area->setFrameShape(QFrame::NoFrame);
    auto* face = new QWidget;
    face->setObjectName("layoutFace");
    BuildDialogControls(face, layout);
    face->setMinimumSize(face->size());
    face->setEnabled(false);
    area->setWidget(face);
    auto* box = new QVBoxLayout(m_pWidget);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(area);
    auto* note = new QLabel(QObject::tr("Shown for reference; nothing on this page is stored."));
    note->setEnabled(false);
    box->addWidget(note);
  }
};

// The values of the user-defined fields, one row per field; several values
// of one field are separated by semicolons.
class CUDFieldsFace : public CFace {
 public:
  explicit CUDFieldsFace(CEditUDFieldsPage& page) : m_page(page) {
    auto* box = new QVBoxLayout(m_pWidget);
    if (page.m_fields.empty()) {
      auto* none = new QLabel(
          QObject::tr("No user-defined fields are defined for this kind of object.\n"
                      "Fields are defined for the whole database and then get a value here."));
      none->setWordWrap(true);
      none->setAlignment(Qt::AlignCenter);
      box->addWidget(none);
      return;
    }
    m_pTable = new QTableWidget(static_cast<int>(page.m_fields.size()), 2);
    m_pTable->setObjectName("fieldsTable");
    m_pTable->setHorizontalHeaderLabels({QObject::tr("Field"), QObject::tr("Value")});
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    m_pTable->verticalHeader()->hide();
    for (int row = 0; row < m_pTable->rowCount(); ++row) {
      const CUDFieldValue& field = page.m_fields[static_cast<std::size_t>(row)];
      auto* name = new QTableWidgetItem(ToQ(field.m_strName));
      name->setFlags(Qt::ItemIsEnabled);
      m_pTable->setItem(row, 0, name);
      QStringList values;
      for (const std::string& value : field.m_values) values << ToQ(value);
      m_pTable->setItem(row, 1, new QTableWidgetItem(values.join("; ")));
    }
    m_pTable->resizeColumnToContents(0);
    m_pTable->setColumnWidth(0, std::max(m_pTable->columnWidth(0) + 16, 140));
    box->addWidget(m_pTable);
    auto* hint = new QLabel(QObject::tr("Separate several values of one field with \";\"."));
    hint->setEnabled(false);
    box->addWidget(hint);
  }
  int Validate() override {
    for (int row = 0; m_pTable != nullptr && row < m_pTable->rowCount(); ++row) {
      const bool numeric = m_page.IsNumeric(static_cast<std::size_t>(row));
      for (const std::string& value : ValuesOf(row)) {
        if (numeric && !IsNumber(value)) {
          const std::string text = "The field \"" + FromQ(m_pTable->item(row, 0)->text()) +
                                   "\" takes numbers: \"" + value + "\" is not a number.";
          OrvMessageBox(text.c_str(), MB_ICONSTOP, 0);
          m_pTable->setCurrentCell(row, 1);
          return 0;
        }
        if (check_string_value(value) == 0) {
          const std::string text = "The value \"" + value + "\" of " +
                                   FromQ(m_pTable->item(row, 0)->text()) +
                                   " may hold at most 250 characters and no control characters.";
          OrvMessageBox(text.c_str(), MB_ICONSTOP, 0);
          m_pTable->setCurrentCell(row, 1);
          return 0;
        }
      }
    }
    return 1;
  }
  void Save() override {
    for (int row = 0; m_pTable != nullptr && row < m_pTable->rowCount(); ++row) {
      m_page.m_fields[static_cast<std::size_t>(row)].m_values = ValuesOf(row);
    }
  }

 private:
  std::vector<std::string> ValuesOf(int row) const {
    std::vector<std::string> values;
    const QTableWidgetItem* item = m_pTable->item(row, 1);
    if (item == nullptr) return values;
    for (const QString& part : item->text().split(';')) {
      if (!part.trimmed().isEmpty()) values.push_back(FromQ(part.trimmed()));
    }
    return values;
  }

  CEditUDFieldsPage& m_page;
  QTableWidget* m_pTable = nullptr;
};

// The comment as free text.
class CCommentsFace : public CFace {
 public:
  explicit CCommentsFace(CEditCommentsPage& page) : m_page(page) {
    auto* box = new QVBoxLayout(m_pWidget);
    box->addWidget(new QLabel(QObject::tr("Notes on this result, kept with it in the database:")));
    m_pText = new QPlainTextEdit(ToQ(page.m_text));
    m_pText->setObjectName("commentEdit");
    box->addWidget(m_pText);
  }
  void Save() override { m_page.m_text = FromQ(m_pText->toPlainText()); }

 private:
  CEditCommentsPage& m_page;
  QPlainTextEdit* m_pText;
};

// The object's keywords beside the keywords the database knows.
class CKeywordsFace : public CFace {
 public:
  explicit CKeywordsFace(CEditKeywordsPage& page) : m_page(page) {
    m_pOwn = new QListWidget;
    m_pOwn->setObjectName("keywordList");
    m_pOwn->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const std::string& keyword : page.m_keywords) m_pOwn->addItem(ToQ(keyword));
    m_pKnown = new QListWidget;
    m_pKnown->setObjectName("availableList");
    m_pKnown->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pKnown->setSortingEnabled(true);
    for (const std::string& keyword : page.m_available) m_pKnown->addItem(ToQ(keyword));
    m_pNew = new QLineEdit;
    m_pNew->setObjectName("keywordEdit");
    m_pNew->setPlaceholderText(QObject::tr("New keyword"));
    m_pNew->setMaxLength(250);
    auto* add = new QPushButton(QObject::tr("< &Add"));
    add->setObjectName("addKeywordButton");
    auto* remove = new QPushButton(QObject::tr("&Remove"));
    remove->setObjectName("removeKeywordButton");

    auto* own = new QGroupBox(QObject::tr("Keywords of this object"));
    (new QVBoxLayout(own))->addWidget(m_pOwn);
    own->layout()->addWidget(remove);
    auto* known = new QGroupBox(QObject::tr("Keywords in the database"));
    auto* knownBox = new QVBoxLayout(known);
    knownBox->addWidget(m_pKnown);
    knownBox->addWidget(m_pNew);
    knownBox->addWidget(add);
    auto* row = new QHBoxLayout(m_pWidget);
    row->addWidget(own);
    row->addWidget(known);

    QObject::connect(add, &QPushButton::clicked, m_pWidget, [this] { Add(); });
    QObject::connect(m_pNew, &QLineEdit::returnPressed, m_pWidget, [this] { Add(); });
    QObject::connect(m_pKnown, &QListWidget::itemDoubleClicked, m_pWidget, [this] { Add(); });
    QObject::connect(remove, &QPushButton::clicked, m_pWidget, [this] { Remove(); });
  }
  void Save() override {
    m_page.m_keywords.clear();
    for (int i = 0; i < m_pOwn->count(); ++i) m_page.AddKeyword(FromQ(m_pOwn->item(i)->text()));
  }

 private:
  // Adds the typed keyword, or else the chosen known ones.
  void Add() {
    const QString typed = m_pNew->text().trimmed();
    if (!typed.isEmpty()) {
      if (check_string_value(FromQ(typed), m_pNew, nullptr) == 0) return;
      AddOne(typed);
      m_pNew->clear();
      return;
    }
    for (const QListWidgetItem* item : m_pKnown->selectedItems()) AddOne(item->text());
  }
  void AddOne(const QString& keyword) {
    if (m_pOwn->findItems(keyword, Qt::MatchExactly).isEmpty()) m_pOwn->addItem(keyword);
  }
  void Remove() { qDeleteAll(m_pOwn->selectedItems()); }

  CEditKeywordsPage& m_page;
  QListWidget* m_pOwn;
  QListWidget* m_pKnown;
  QLineEdit* m_pNew;
};

// The heading over the tabs: the object's name and what it is.
QWidget* MakeHeading(const CEditorPropSheet& sheet) {
  const auto* general = sheet.FindPage<CEditGeneralPage>();
  auto* heading = new QLabel;
  heading->setObjectName("heading");
  const std::string name = general != nullptr ? general->m_name : sheet.GetTitle();
  QString text =
      "<span style=\"font-size:large; font-weight:bold\">" + ToQ(name).toHtmlEscaped() + "</span>";
  if (general != nullptr && !general->m_typeName.empty()) {
    text += "<br>" + ToQ(general->m_typeName).toHtmlEscaped();
  }
  heading->setText(text);
  return heading;
}

// Runs the sheet as the Qt editor window.
class CQtEditorSheetRunner : public CEditorSheetRunner {
 public:
  int RunSheet(CEditorPropSheet& sheet) override {
    QWidget* parent = static_cast<QWidget*>(sheet.GetParent());
    if (parent == nullptr) parent = QApplication::activeWindow();
    CEditorSheetDialog dialog(sheet, parent);
    return dialog.exec() == IDOK ? IDOK : IDCANCEL;
  }
};

}  // namespace

CEditorSheetDialog::CEditorSheetDialog(CEditorPropSheet& sheet, QWidget* parent)
    : QDialog(parent), m_sheet(sheet) {
  setWindowTitle(ToQ(sheet.GetTitle()));
  setObjectName("editorSheet");
  InstallHostControls();
  auto* box = new QVBoxLayout(this);
  box->addWidget(MakeHeading(sheet));
  m_pTabs = new QTabWidget;
  m_pTabs->setObjectName("editorTabs");
  box->addWidget(m_pTabs);
  int firstTab = 0;
  for (int i = 0; i < sheet.GetPageCount(); ++i) {
    CEditObjectPage* page = sheet.GetPage(i);
    if (i == sheet.GetFirstPage()) firstTab = m_pTabs->count();
    if (auto* general = dynamic_cast<CEditGeneralPage*>(page)) {
      AddFace(std::make_unique<CGeneralFace>(*general), tr("General"));
      CEditObjectPage* extra = general->GetExtraPage();
      const CDialogLayout* layout =
          extra != nullptr ? FindDialogLayout(extra->GetLayoutId()) : nullptr;
      if (layout != nullptr) {
        const QString title =
            general->m_typeName.empty() ? tr("Details") : ToQ(general->m_typeName);
        AddFace(std::make_unique<CLayoutFace>(*layout), title);
      }
    } else if (auto* fields = dynamic_cast<CEditUDFieldsPage*>(page)) {
      AddFace(std::make_unique<CUDFieldsFace>(*fields), tr("User Fields"));
    } else if (auto* comments = dynamic_cast<CEditCommentsPage*>(page)) {
      AddFace(std::make_unique<CCommentsFace>(*comments), tr("Comments"));
    } else if (auto* keywords = dynamic_cast<CEditKeywordsPage*>(page)) {
      AddFace(std::make_unique<CKeywordsFace>(*keywords), tr("Keywords"));
    } else if (const CDialogLayout* layout = FindDialogLayout(page->GetLayoutId())) {
      AddFace(std::make_unique<CLayoutFace>(*layout), ToQ(layout->m_pszCaption));
    }
  }
  m_pTabs->setCurrentIndex(firstTab);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->setObjectName("buttons");
  connect(buttons, &QDialogButtonBox::accepted, this, &CEditorSheetDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CEditorSheetDialog::reject);
  box->addWidget(buttons);
  // Room for every tab's whole face, then no more than the screen holds.
  resize(sizeHint().expandedTo(QSize(560, 460)));
  FitToScreen(this);
}

CEditorSheetDialog::~CEditorSheetDialog() = default;

void CEditorSheetDialog::AddFace(std::unique_ptr<CFace> face, const QString& title) {
  m_pTabs->addTab(face->Widget(), title);
  m_faces.push_back(std::move(face));
}

void CEditorSheetDialog::accept() {
  for (const auto& face : m_faces) {
    if (face->Validate() == 0) {
      m_pTabs->setCurrentWidget(face->Widget());
      return;
    }
  }
  for (const auto& face : m_faces) face->Save();
  done(IDOK);
}

void CEditorSheetDialog::reject() { done(IDCANCEL); }

void CEditorSheetDialog::keyPressEvent(QKeyEvent* event) {
  // Enter in a box does that box's job (its returnPressed), never OK.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && event->modifiers() == Qt::NoModifier &&
      qobject_cast<QLineEdit*>(focusWidget()) != nullptr) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void InstallEditorSheetRunner() {
  static CQtEditorSheetRunner runner;
  SetEditorSheetRunner(&runner);
}

}  // namespace blastsearch
