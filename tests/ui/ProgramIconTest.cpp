#include "ui/ProgramIcon.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

const int kRenderedSizes[] = {16, 32, 48, 64, 128, 256};

// Compared premultiplied, the window a pixmap keeps, so that see-through pixels whose
// colour channels the file happens to carry still compare equal.
QImage premultiplied(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage committedRendering(int size)
{
    return premultiplied(
        QImage(QStringLiteral(RF_SOURCE_DIR "/resources/icons/relief-foundry-%1.png").arg(size)));
}

TEST(ProgramIcon, OffersEveryRenderedSize)
{
    QList<QSize> expected;
    for (int size : kRenderedSizes)
        expected.append(QSize(size, size));
    EXPECT_EQ(ProgramIcon().availableSizes(), expected);
}

class ProgramIconSize : public testing::TestWithParam<int> {};

// Each size must come from its own rendering, pixel for pixel, not from scaling another.
TEST_P(ProgramIconSize, IsTheCommittedRendering)
{
    const int size = GetParam();
    const QImage expected = committedRendering(size);
    ASSERT_EQ(expected.size(), QSize(size, size));
    const QImage shown = premultiplied(ProgramIcon().pixmap(QSize(size, size)).toImage());
    EXPECT_EQ(shown, expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProgramIconSize, testing::ValuesIn(kRenderedSizes));

// The rounded backdrop leaves the corners see-through and the middle solid.
TEST(ProgramIcon, HasTransparentCornersAndSolidMiddle)
{
    const QImage image = ProgramIcon().pixmap(QSize(48, 48)).toImage();
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(47, 47)), 0);
    EXPECT_EQ(qAlpha(image.pixel(24, 24)), 255);
}

}  // namespace
