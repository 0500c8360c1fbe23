#include "app/qt/widget_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>

#include "app/qt/qt_icon.h"

namespace morvik {
namespace {

constexpr int kTallEditUnits = 20;  // taller one-line edits show their text at the top
constexpr int kRaisedEdge = 2;
constexpr int kNarrowestStretch = 60;  // percent
constexpr int kButtonPadding = 6;

QString Text(const DialogItem& item) {
  return QString::fromUtf8(item.text.data(), static_cast<qsizetype>(item.text.size()));
}

QWidget* MakeEdit(const DialogItem& item, QWidget* parent) {
  auto* edit = new QLineEdit(Text(item), parent);
  edit->setReadOnly(item.Has(kReadOnly));
  edit->setFrame(!item.Has(kNoBorder));
  const Qt::Alignment vertical = item.rect.height > kTallEditUnits ? Qt::AlignTop : Qt::AlignVCenter;
  edit->setAlignment(Qt::AlignLeft | vertical);
  return edit;
}

QWidget* MakeMultiLineEdit(const DialogItem& item, QWidget* parent) {
  auto* edit = new QPlainTextEdit(Text(item), parent);
  edit->setReadOnly(item.Has(kReadOnly));
  edit->setVerticalScrollBarPolicy(item.Has(kVerticalScroll) ? Qt::ScrollBarAlwaysOn
                                                             : Qt::ScrollBarAlwaysOff);
  return edit;
}

QWidget* MakePushButton(const DialogItem& item, QWidget* parent) {
  auto* button = new QPushButton(Text(item), parent);
  button->setAutoDefault(false);
  button->setDefault(item.Has(kDefaultButton));
  return button;
}

QWidget* MakeComboBox(const DialogItem&, QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setEditable(true);
  list->setInsertPolicy(QComboBox::NoInsert);
  list->setCompleter(nullptr);
  list->setMaxVisibleItems(4);
  return list;
}

QWidget* MakeLabel(const DialogItem& item, QWidget* parent) {
  auto* label = new QLabel(Text(item), parent);
  label->setTextFormat(Qt::PlainText);
  const Qt::Alignment horizontal = item.Has(kAlignRight) ? Qt::AlignRight : Qt::AlignLeft;
  const Qt::Alignment vertical = item.Has(kCenterVertically) ? Qt::AlignVCenter : Qt::AlignTop;
  label->setAlignment(horizontal | vertical);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

QWidget* MakeGroupBox(const DialogItem& item, QWidget* parent) {
  auto* group = new QGroupBox(Text(item), parent);
  group->setAttribute(Qt::WA_TransparentForMouseEvents);
  group->setFocusPolicy(Qt::NoFocus);
  return group;
}

QWidget* MakeIcon(const DialogItem&, QWidget* parent) {
  auto* icon = new QLabel(parent);
  icon->setPixmap(QPixmap::fromImage(ToQImage(DrawAppIcon(32))));
  icon->setAttribute(Qt::WA_TransparentForMouseEvents);
  return icon;
}

// Rows of cells under headings, as a report-style list: one selected row,
// no tree lines, no sorting by the headings.
QWidget* MakeListView(const DialogItem& item, QWidget* parent, DialogBaseUnits base) {
  auto* list = new QTreeWidget(parent);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setColumnCount(static_cast<int>(item.columns.size()));
  list->header()->setSectionsMovable(false);
  list->header()->setStretchLastSection(false);
  QStringList headings;
  for (const ListColumn& column : item.columns) {
    headings << QString::fromUtf8(column.heading.data(), static_cast<qsizetype>(column.heading.size()));
  }
  list->setHeaderLabels(headings);
  for (std::size_t i = 0; i < item.columns.size(); ++i) {
    list->setColumnWidth(static_cast<int>(i), HorizontalPixels(item.columns[i].width, base));
  }
  return list;
}

QWidget* MakeProgressBar(QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setTextVisible(false);
  bar->setRange(0, 1);
  bar->setValue(0);
  return bar;
}

QWidget* MakeControl(const DialogItem& item, QWidget* parent, DialogBaseUnits base) {
  switch (item.kind) {
    case ItemKind::kEdit: return MakeEdit(item, parent);
    case ItemKind::kMultiLineEdit: return MakeMultiLineEdit(item, parent);
    case ItemKind::kPushButton: return MakePushButton(item, parent);
    case ItemKind::kCheckBox: return new QCheckBox(Text(item), parent);
    case ItemKind::kComboBox: return MakeComboBox(item, parent);
    case ItemKind::kLabel: return MakeLabel(item, parent);
    case ItemKind::kGroupBox: return MakeGroupBox(item, parent);
    case ItemKind::kIcon: return MakeIcon(item, parent);
    case ItemKind::kListView: return MakeListView(item, parent, base);
    case ItemKind::kProgressBar: return MakeProgressBar(parent);
  }
  return nullptr;
}

// The fallback font's kana are wider than those the layout was made for:
// text that would not fit its control is drawn condensed, never clipped.
// Measured with the font it inherits, so that a new text is fitted afresh.
void FitText(QWidget* control, const QString& text, int available) {
  const QFont own = control->parentWidget() ? control->parentWidget()->font() : control->font();
  const int needed = QFontMetrics(own).horizontalAdvance(text);
  if (needed <= available || needed == 0) {
    if (control->font().stretch() != own.stretch()) control->setFont(own);
    return;
  }
  QFont font = own;
  font.setStretch(std::max(kNarrowestStretch, available * 100 / needed));
  control->setFont(font);
}

int TextRoom(const DialogItem& item, QWidget* control, int width) {
  const QStyle* style = control->style();
  switch (item.kind) {
    case ItemKind::kCheckBox:
      return width - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, control) -
             style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, control);
    case ItemKind::kPushButton: return width - kButtonPadding;
    default: return width;
  }
}

void FitItemText(const DialogItem& item, QWidget* control, int width) {
  const bool hasText = item.kind == ItemKind::kLabel || item.kind == ItemKind::kCheckBox ||
                       item.kind == ItemKind::kPushButton;
  if (hasText) FitText(control, Text(item), TextRoom(item, control, width));
}

QRect Placement(const DialogItem& item, QWidget* control, DialogBaseUnits base) {
  const PixelRect pixels = ToPixels(item.rect, base);
  QRect rect(pixels.x, pixels.y, pixels.width, pixels.height);
  if (item.kind == ItemKind::kIcon) rect.setSize(control->sizeHint());
  // A list's height is that of its opened list; closed it is one line high.
  if (item.kind == ItemKind::kComboBox) rect.setHeight(control->sizeHint().height());
  return rect;
}

void ApplyState(const DialogItem& item, QWidget* control, QWidget* outer) {
  control->setFocusPolicy(item.Has(kTabStop) ? Qt::StrongFocus : Qt::NoFocus);
  control->setEnabled(!item.Has(kDisabled));
  if (item.Has(kHidden)) outer->setVisible(false);
  if (item.kind == ItemKind::kGroupBox) outer->lower();
}

// A raised border: the platform's modal-frame edge drawn about the button.
QWidget* RaisedFrame(const DialogItem& item, QWidget* client) {
  if (!item.Has(kRaisedBorder)) return nullptr;
  auto* frame = new QFrame(client);
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame->setLineWidth(kRaisedEdge);
  return frame;
}

}  // namespace

void FitLabelText(QWidget* label, const QString& text) { FitText(label, text, label->width()); }

BuiltItem BuildItem(const DialogItem& item, QWidget* client, DialogBaseUnits base) {
  QWidget* frame = RaisedFrame(item, client);
  QWidget* control = MakeControl(item, frame ? frame : client, base);
  QWidget* outer = frame ? frame : control;
  const QRect placement = Placement(item, control, base);
  outer->setGeometry(placement);
  if (frame) {
    control->setGeometry(kRaisedEdge, kRaisedEdge, placement.width() - 2 * kRaisedEdge,
                         placement.height() - 2 * kRaisedEdge);
  }
  FitItemText(item, control, control->width());
  ApplyState(item, control, outer);
  return {control, outer};
}

}  // namespace morvik
