#include "ui/MeshSettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

// Hundredths of a millimetre: finer than any printer lays down.
constexpr int kDecimals = 2;

QDoubleSpinBox* MillimetreField(const MillimetreRange& range, double value, const char* name, QWidget* parent)
{
    auto* field = new QDoubleSpinBox(parent);
    field->setObjectName(QLatin1String(name));
    field->setDecimals(kDecimals);
    field->setRange(range.lowest, range.highest);
    field->setValue(value);
    return field;
}

QCheckBox* Choice(const QString& text, bool checked, const char* name, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

}  // namespace

MeshSettingsDialog::MeshSettingsDialog(const SolidSettings& settings, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MeshSettings"));
    setWindowTitle(QStringLiteral("Mesh Settings"));
    longestSide_ = MillimetreField(kLongestSideRange, settings.longestSideMm, "ELongestSide", this);
    relief_ = MillimetreField(kReliefRange, settings.reliefMm, "ERelief", this);
    base_ = MillimetreField(kBaseRange, settings.baseMm, "EBase", this);
    keepProportions_ = Choice(QStringLiteral("Keep the picture's proportions"), settings.keepProportions,
                              "KeepProportions", this);
    invert_ = Choice(QStringLiteral("Invert (white lowest, for lithophanes)"), settings.invert, "Invert", this);
    auto* detail = new QGroupBox(QStringLiteral("Detail"), this);
    gridDetail_ = new QRadioButton(QStringLiteral("Grid (the grid size, as the DXF)"), detail);
    gridDetail_->setObjectName(QStringLiteral("DetailGrid"));
    wholeDetail_ = new QRadioButton(QStringLiteral("Whole picture within"), detail);
    wholeDetail_->setObjectName(QStringLiteral("DetailWholePicture"));
    (settings.detail == SolidDetail::WholePicture ? wholeDetail_ : gridDetail_)->setChecked(true);
    // Tenths of a height step, one step being one unit of the channel sum.
    maxError_ = new QDoubleSpinBox(detail);
    maxError_->setObjectName(QStringLiteral("EMaxError"));
    maxError_->setDecimals(1);
    maxError_->setSingleStep(0.1);
    maxError_->setRange(0, kMaxChannelSum);
    maxError_->setValue(settings.maxErrorTenths / 10.0);
    maxError_->setEnabled(wholeDetail_->isChecked());
    connect(wholeDetail_, &QRadioButton::toggled, maxError_, &QWidget::setEnabled);
    auto* whole = new QHBoxLayout;
    whole->addWidget(wholeDetail_);
    whole->addWidget(maxError_);
    whole->addWidget(new QLabel(QStringLiteral("height steps"), detail));
    whole->addStretch(1);
    auto* details = new QVBoxLayout(detail);
    details->addWidget(gridDetail_);
    details->addLayout(whole);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("Buttons"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Longest side (mm)"), longestSide_);
    fields->addRow(QStringLiteral("Relief (mm)"), relief_);
    fields->addRow(QStringLiteral("Base (mm)"), base_);
    fields->addRow(keepProportions_);
    fields->addRow(invert_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(detail);
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // The first field takes the focus when the dialog opens, which selects its text as a
    // Tab would, so typing replaces it.
    longestSide_->setFocus();
}

SolidSettings MeshSettingsDialog::settings() const
{
    return {longestSide_->value(),
            relief_->value(),
            base_->value(),
            keepProportions_->isChecked(),
            invert_->isChecked(),
            wholeDetail_->isChecked() ? SolidDetail::WholePicture : SolidDetail::Grid,
            static_cast<int>(std::lround(maxError_->value() * 10))};
}
