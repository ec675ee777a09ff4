#pragma once
#include <QDialog>

#include "model/SolidSettings.h"

class QCheckBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QRadioButton;

// Options > Mesh Settings: the size of the solids for printing, in millimetres, and
// their detail: the DXF's grid, or the whole picture within an error in height steps.
// It opens with the values given and the first field's text selected, so typing
// replaces it; Enter is OK. Each field keeps to its range (model/SolidSettings.h).
//
//   member              object name        member              object name
//   longestSide_        ELongestSide       keepProportions_    KeepProportions
//   relief_             ERelief            invert_             Invert
//   base_               EBase              gridDetail_         DetailGrid
//   buttons_            Buttons            wholeDetail_        DetailWholePicture
//                                          maxError_           EMaxError
class MeshSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit MeshSettingsDialog(const SolidSettings& settings, QWidget* parent = nullptr);

    // The values as the fields show them now.
    SolidSettings settings() const;

private:
    QDoubleSpinBox* longestSide_ = nullptr;
    QDoubleSpinBox* relief_ = nullptr;
    QDoubleSpinBox* base_ = nullptr;
    QCheckBox* keepProportions_ = nullptr;
    QCheckBox* invert_ = nullptr;
    QRadioButton* gridDetail_ = nullptr;
    QRadioButton* wholeDetail_ = nullptr;
    QDoubleSpinBox* maxError_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};
