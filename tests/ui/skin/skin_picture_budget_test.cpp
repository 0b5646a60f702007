#include "ui/skin/skin_picture_budget.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/skin_fixture.h"

namespace {

using namespace testing_support;

TEST(SkinPictureBudget, PicturesOfOnePackage) {
    struct Picture {
        std::string png;
        bool decoded;
    };
    struct Case {
        const char* name;
        int64_t budget;
        std::vector<Picture> pictures;  // decoded in order against one budget
        int64_t left;
    } cases[] = {
        {"pictures within the budget are charged",
         1000,
         {{SolidPng(10, 10, 1, 2, 3, 4), true}, {GreyPng(20, 20), true}},
         500},
        {"a picture using exactly what is left", 200, {{GreyPng(20, 10), true}}, 0},
        {"the first picture over what is left spends the rest",
         250,
         {{GreyPng(10, 10), true}, {GreyPng(20, 10), false}, {GreyPng(1, 1), false}},
         0},
        {"a broken picture is charged for its header's size",
         1000,
         {{ClaimedSizePng(30, 30), false}, {GreyPng(10, 10), true}},
         0},
        {"data that is no picture costs nothing", 1000, {{std::string(64, 'x'), false}}, 1000},
        {"a picture over the single bound is refused alone",
         kSkinPackagePixelBudget,
         {{GreyPng(kMaxSkinPictureSide + 1, 1), false},
          {GreyPng(2049, 2048), false},
          {ClaimedSizePng(8192, 8192), false},
          {GreyPng(4, 4), true}},
         kSkinPackagePixelBudget - 16},
        {"pictures at the single bounds are admitted",
         kSkinPackagePixelBudget,
         {{GreyPng(kMaxSkinPictureSide, 1), true}, {GreyPng(2048, 2048), true}},
         kSkinPackagePixelBudget - kMaxSkinPictureSide - kMaxSkinPicturePixels},
    };
    for (const Case& c : cases) {
        SkinPictureBudget budget{c.budget};
        int i = 0;
        for (const Picture& p : c.pictures) {
            SkinImage* image = DecodeSkinPicture(
                &budget, reinterpret_cast<const uint8_t*>(p.png.data()), p.png.size());
            EXPECT_EQ(image != nullptr, p.decoded) << c.name << ", picture " << i++;
            FreeSkinImage(image);
        }
        EXPECT_EQ(budget.pixelsLeft, c.left) << c.name;
    }
}

}  // namespace
