#include "ui/settings_sheet/prop_page.h"

#include <QBoxLayout>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPixmap>

#include "platform/resources/resources.h"
#include "settings/language/language.h"

namespace {

// A page is 330 by 215 dialog units; the layouts may grow it for longer translations.
constexpr int kPageWidthDlu = 330;
constexpr int kPageHeightDlu = 215;

}  // namespace

QString Text(const std::string& key) {
    return QString::fromStdString(GetText(key));
}

QLabel* MakePlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* MakeInfoLabel(const std::string& key, QWidget* parent) {
    auto* label = new QLabel(Text(key), parent);
    label->setWordWrap(true);
    // Table texts are plain; a "<" in them must never switch the label to rich text.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* MakeSectionHeading(const std::string& key, QWidget* parent) {
    auto* heading = new QWidget(parent);
    auto* row = new QHBoxLayout(heading);
    row->setContentsMargins(0, 0, 0, 0);
    QLabel* caption = MakePlainLabel(Text(key), heading);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    auto* line = new QFrame(heading);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    row->addWidget(caption);
    row->addWidget(line, 1);
    return heading;
}

QPixmap LoadPngResource(const std::string& name) {
    QPixmap pixmap;
    if (auto bytes = platform::FindResource("PNG", name)) {
        pixmap.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                            static_cast<uint>(bytes->size()), "PNG");
    }
    return pixmap;
}

QSize DialogUnitsToPixels(const QWidget* widget, int w, int h) {
    const QFontMetrics metrics(widget->font());
    // The classic base unit: the average width of the 52 Latin letters.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    const int baseY = metrics.height();
    return QSize(w * baseX / 4, h * baseY / 8);
}

CPropPage::CPropPage(std::string titleKey, std::string iconName, QWidget* parent)
    : QWidget(parent), titleKey_(std::move(titleKey)), iconName_(std::move(iconName)) {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    setMinimumSize(DialogUnitsToPixels(this, kPageWidthDlu, kPageHeightDlu));
}

CPropPage::~CPropPage() = default;

const std::string& CPropPage::Title() {
    if (!titleLoaded_) {
        title_ = GetText(titleKey_);
        titleLoaded_ = true;
    }
    return title_;
}

QIcon CPropPage::Icon() const {
    return QIcon(LoadPngResource(iconName_));
}

void CPropPage::Initialize() {
    if (initialized_) {
        return;
    }
    initialized_ = true;
    OnInitPage();
}

void CPropPage::Apply() {
    if (!initialized_) {
        return;
    }
    OnApply();
    modified_ = false;
}

void CPropPage::SetModified() {
    modified_ = true;
    emit modified();
}

void CPropPage::AddSectionHeading(const std::string& textKey) {
    layout_->addWidget(MakeSectionHeading(textKey, this));
}

QLabel* CPropPage::AddInfoText(const std::string& textKey) {
    QLabel* label = MakeInfoLabel(textKey, this);
    layout_->addWidget(label);
    return label;
}
