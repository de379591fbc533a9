// Picture export: format conversion and scaling through libgd, and BLOBs that hold no picture.
#include "kestrel_test_support.h"

namespace {

using namespace kestrel_test;

class KestrelPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDatabase(store_.Path("gallery.db"),
                 "CREATE TABLE item (id INTEGER PRIMARY KEY, name TEXT, Photo BLOB);\n"
                 "INSERT INTO item VALUES (1, 'flag', x'" +
                     Hex(MakePng(200, 100)) + "'), (2, 'text', x'" + Hex("just some text") +
                     "'), (3, 'none', NULL);\n");
    session_ = OpenStore(store_.Path());
  }

  kestrel::PictureExportSettings Settings(const std::string& file, const std::string& format) {
    kestrel::PictureExportSettings settings;
    settings.Set("File", "Path", store_.Path(file));
    settings.Set("Format", "Format", format);
    settings.Set("Format", "UnitsPerInch", "1000");
    return settings;
  }

  test_support::TempFolder store_{"kestrel_picture"};
  std::shared_ptr<kestrel::Session> session_;
};

TEST_F(KestrelPicture, ConvertsAndScalesKeepingTheAspectRatio) {
  auto flag = session_->ArtifactById("gallery:item:id=1");
  EXPECT_EQ(Names(*flag->Type()->PictureKinds()), std::vector<std::string>{"Picture"});
  kestrel::PictureExportSettings settings = Settings("flag.jpg", "jpg");
  settings.Set("Format", "Width", "500");  // half an inch: 48 pixels
  flag->ExportPicture(settings);
  const std::string jpeg = ReadFile(store_.Path("flag.jpg"));
  ASSERT_EQ(jpeg.substr(0, 3), "\xFF\xD8\xFF");
  gdImagePtr image = DecodedPicture(jpeg);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(gdImageSX(image), 48);
  EXPECT_EQ(gdImageSY(image), 24);
  const int left = gdImageGetTrueColorPixel(image, 5, 12);
  const int right = gdImageGetTrueColorPixel(image, 42, 12);
  EXPECT_GT(gdTrueColorGetRed(left), 200);
  EXPECT_GT(gdTrueColorGetBlue(right), 200);
  gdImageDestroy(image);

  kestrel::PictureExportSettings both = Settings("flag.gif", "gif");
  both.Set("Format", "Width", "250");
  both.Set("Format", "Height", "1000");
  flag->ExportPicture(both);
  const std::string gif = ReadFile(store_.Path("flag.gif"));
  ASSERT_EQ(gif.substr(0, 4), "GIF8");
  image = DecodedPicture(gif);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(gdImageSX(image), 24);
  EXPECT_EQ(gdImageSY(image), 96);
  gdImageDestroy(image);
}

// A format that the component cannot write comes as png.
TEST_F(KestrelPicture, OtherFormatsWritePng) {
  session_->ArtifactById("gallery:item:id=1")->ExportPicture(Settings("vector.wmf", "wmf"));
  EXPECT_EQ(ReadFile(store_.Path("vector.wmf")).substr(0, 8), "\x89PNG\r\n\x1A\n");
}

TEST_F(KestrelPicture, ABlobWithoutAPictureIsAnErrorNamingTheArtifact) {
  EXPECT_EQ(ErrorOf([&] {
              session_->ArtifactById("gallery:item:id=2")->ExportPicture(Settings("x.png", "png"));
            }),
            "gallery:item:id=2: the picture is no png, jpeg, gif or bmp");
  EXPECT_EQ(ErrorOf([&] {
              session_->ArtifactById("gallery:item:id=3")->ExportPicture(Settings("x.png", "png"));
            }),
            "gallery:item:id=3: no picture");
  EXPECT_FALSE(std::filesystem::exists(store_.Path("x.png")));
}

}  // namespace
