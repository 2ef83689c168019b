// The walk over game.dat's bytes that stands before the library's loader:
// the real file passes; cuts and flipped bits in it are refused with the
// picture's position; files made elsewhere without checksums still get their
// structure checked; and JPEG streams the add-on cannot take are refused.
#include <allegro.h>
#include <jpgalleg.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "datwriter.h"
#include "library.h"
#include "scratch.h"
#include "presentation/datacheck.h"
#include "presentation/datafile.h"
#include "presentation/jpegobject.h"

namespace {

const int FULL_WIDTH = 640, FULL_HEIGHT = 480;
const int POINTER = 9;
const int UNUSED = 2;
const size_t OBJECT_HEADER = 12;
// The trial decode of the JPEG objects needs the add-on and the game's loader.
const int LIBRARY_PARTS = LIBRARY_TRUE_COLOUR | LIBRARY_JPEG_OBJECTS;

std::string Text(const char *message)
{
    return message ? message : "(accepted)";
}

bool Says(const char *message, const std::string &words)
{
    return message && std::string(message).find(words) != std::string::npos;
}

const char *Walk(const std::vector<uint8_t> &bytes)
{
    return CheckDataBytes(bytes.data(), bytes.size(), GAME_DATA_SLOTS, DATA_PICTURES);
}

const std::vector<uint8_t> &RealGameData()
{
    static std::vector<uint8_t> bytes;
    if (bytes.empty())
        LoadFileBytes(std::string(PAPERLUNE_DATA_DIR) + "/game.dat", bytes);
    return bytes;
}

std::vector<uint8_t> Jpeg(int w, int h, int flags = 0)
{
    StartLibrary(LIBRARY_PARTS);
    BITMAP *picture = create_bitmap_ex(32, w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            putpixel(picture, x, y, makecol32(x * 255 / w, y * 255 / h, 90));
    std::vector<uint8_t> bytes(size_t(w) * h * 4 + 4096);
    int size = int(bytes.size());
    int result = save_memory_jpg_ex(bytes.data(), &size, picture, nullptr, 90, flags, nullptr);
    destroy_bitmap(picture);
    bytes.resize(result == 0 ? size_t(size) : 0);
    return bytes;
}

DatObject JpegObject(const std::vector<uint8_t> &bytes)
{
    DatObject o;
    o.jpeg = true;
    o.bytes = bytes;
    return o;
}

DatObject Bitmap(int w, int h)
{
    DatObject o;
    o.jpeg = false;
    o.width = w;
    o.height = h;
    o.pixels.assign(size_t(w) * h, 0x336699);
    return o;
}

// A game.dat of the right shape but small: one screen-sized JPEG in every
// screen slot, small bitmaps for the pointer and the sprites.
std::vector<DatObject> GameShaped()
{
    static std::vector<uint8_t> screen = Jpeg(FULL_WIDTH, FULL_HEIGHT);
    std::vector<DatObject> objects;
    for (int i = 0; i < DATA_PICTURES; i++) {
        if (GAME_DATA_SLOTS[i].used && GAME_DATA_SLOTS[i].minWidth == FULL_WIDTH)
            objects.push_back(JpegObject(screen));
        else
            objects.push_back(Bitmap(12, 10));
        objects.back().name = "PICTURE_" + std::to_string(i);
    }
    return objects;
}

void PutBig32(std::vector<uint8_t> &bytes, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        bytes[at + i] = uint8_t(v >> (24 - 8 * i));
}

// Offset of the first JPEG segment with this marker, or 0.
size_t Segment(const std::vector<uint8_t> &jpeg, uint8_t marker)
{
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        if (jpeg[at + 1] == marker)
            return at;
        if (jpeg[at + 1] == 0xDA)
            return 0;
        at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
    }
    return 0;
}

// One JPEG object alone, checked as a picture of any size.
const char *WalkJpeg(const std::vector<uint8_t> &jpeg, DataFound *found = nullptr)
{
    const DataSlot picture = {true, false, 1, 1};
    std::vector<uint8_t> bytes = EncodeDatafile({JpegObject(jpeg)}, false);
    return CheckDataBytes(bytes.data(), bytes.size(), &picture, 1, found);
}

}  // namespace

TEST(DataCheck, ChecksumIsTheCommonCrc32)
{
    const char *check = "123456789";
    EXPECT_EQ(DataChecksum(reinterpret_cast<const uint8_t *>(check), 9), 0xCBF43926u);
    // In pieces, as the writer feeds it: header, then body.
    uint32_t part = DataChecksum(reinterpret_cast<const uint8_t *>(check), 4);
    EXPECT_EQ(DataChecksum(reinterpret_cast<const uint8_t *>(check) + 4, 5, part), 0xCBF43926u);
    // Taken eight bytes at a time, it still agrees with the bit-by-bit rule,
    // at every length and alignment.
    std::vector<uint8_t> noise(300);
    uint32_t x = 2463534242u;
    for (uint8_t &b : noise) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = uint8_t(x);
    }
    for (size_t from = 0; from < 9; from++)
        for (size_t length = 0; from + length <= noise.size(); length += 37) {
            uint32_t crc = ~0u;
            for (size_t i = from; i < from + length; i++) {
                crc ^= noise[i];
                for (int k = 0; k < 8; k++)
                    crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
            }
            EXPECT_EQ(DataChecksum(noise.data() + from, length), ~crc) << from << " + " << length;
        }
}

TEST(DataCheck, GameDataAsBuiltPassesWithAChecksumOnEveryObject)
{
    const std::vector<uint8_t> &bytes = RealGameData();
    ASSERT_FALSE(bytes.empty()) << "build pictures_data first";
    DataFound found[DATA_PICTURES];
    const char *message = CheckDataBytes(bytes.data(), bytes.size(), GAME_DATA_SLOTS, DATA_PICTURES, found);
    ASSERT_EQ(message, nullptr) << message;
    EXPECT_FALSE(found[POINTER].jpeg);
    EXPECT_EQ(found[MENU_BACKGROUND].width, FULL_WIDTH);
    EXPECT_EQ(found[MENU_BACKGROUND].height, FULL_HEIGHT);
    std::vector<DatSpan> spans = DatafileSpans(bytes);
    ASSERT_EQ(spans.size(), size_t(DATA_PICTURES));
    for (size_t i = 0; i < spans.size(); i++) {
        std::string properties(bytes.begin() + spans[i].start, bytes.begin() + spans[i].header);
        EXPECT_NE(properties.find("PCRC"), std::string::npos) << "picture " << i;
    }
    StartLibrary(LIBRARY_PARTS);   // for the trial decode of the JPEG objects
    std::string path = std::string(PAPERLUNE_DATA_DIR) + "/game.dat";
    EXPECT_EQ(CheckGameDataFile(path.c_str()), nullptr);
    ForgetDecodedJpegs();   // the pictures it kept for a loader that never comes
    EXPECT_TRUE(Says(CheckGameDataFile("/nonexistent/game.dat"), "missing or unreadable"));
}

TEST(DataCheck, CutsOfTheRealFileAreRefusedNamingThePicture)
{
    const std::vector<uint8_t> &real = RealGameData();
    ASSERT_FALSE(real.empty());
    std::vector<DatSpan> spans = DatafileSpans(real);
    ASSERT_EQ(spans.size(), size_t(DATA_PICTURES));
    struct Cut {
        size_t at;
        const char *expect;
    };
    const Cut cuts[] = {
        {0, "not a datafile"},
        {7, "header is cut short"},
        {12, "ends where picture 0 should begin"},
        {spans[5].header + 6, "picture 5 runs past the end"},               // inside the sizes
        {spans[5].start + 5, "picture 5 runs past the end"},                // inside a property
        {(spans[7].data + spans[7].end) / 2, "picture 7 runs past the end"},   // inside a JPEG
        {spans[11].start, "ends where picture 11 should begin"},           // between two objects
        {4096, "picture 0 runs past the end"},
        {real.size() - 1, "picture 32 runs past the end"},
    };
    for (const Cut &cut : cuts) {
        std::vector<uint8_t> bytes(real.begin(), real.begin() + cut.at);
        const char *message = Walk(bytes);
        EXPECT_TRUE(Says(message, cut.expect)) << "cut at " << cut.at << ": " << Text(message);
    }
}

TEST(DataCheck, FlippedBitsInTheRealFileAreRefusedNamingThePicture)
{
    const std::vector<uint8_t> &real = RealGameData();
    ASSERT_FALSE(real.empty());
    std::vector<DatSpan> spans = DatafileSpans(real);
    ASSERT_EQ(spans.size(), size_t(DATA_PICTURES));
    struct Flip {
        size_t at;
        int bit;
        const char *expect;
    };
    const Flip flips[] = {
        {1, 0, "not a datafile"},                                   // file magic
        {6, 2, "not a datafile"},                                   // datafile magic
        {11, 1, "ends where picture 33 should begin"},              // count 33 -> 35
        {11, 0, "stray bytes follow"},                              // count 33 -> 32
        {spans[3].header + 6, 0, "picture 3 has a broken header"},  // stored size
        {spans[3].header + 10, 4, "picture 3 has a broken header"}, // unpacked size
        {spans[3].header + 1, 0, "picture 3 does not match its checksum"},   // the type word
        {spans[4].start, 0, "picture 4 has a broken header"},       // a property's magic
        {(spans[18].data + spans[18].end) / 2, 3, "picture 18 does not match its checksum"},
        {spans[3].data + 1000, 7, "picture 3 does not match its checksum"},   // bitmap pixels
        {spans[27].data + 40, 5, "picture 27 does not match its checksum"},   // JPEG tables
        {spans[12].header - 3, 0, "picture 12"},                   // the checksum's own digits
    };
    for (const Flip &flip : flips) {
        std::vector<uint8_t> bytes = real;
        bytes[flip.at] ^= uint8_t(1 << flip.bit);
        const char *message = Walk(bytes);
        EXPECT_TRUE(Says(message, flip.expect)) << "bit " << flip.bit << " at " << flip.at << ": "
                                                << Text(message);
    }
}

// The walk for the first slide alone reads every header and the whole of
// that one picture: damage in any header, a cut, or damage in the picture
// itself is refused; damage in another picture's body is left to the whole
// walk, which still refuses it.
TEST(DataCheck, TheWalkForOnePictureRefusesAllButDamageInOtherBodies)
{
    const std::vector<uint8_t> &real = RealGameData();
    ASSERT_FALSE(real.empty());
    std::vector<DatSpan> spans = DatafileSpans(real);
    ASSERT_EQ(spans.size(), size_t(DATA_PICTURES));
    const int first = INTRO_FIRST_IMAGE;
    DataPicture picture;
    auto WalkFirst = [&](const std::vector<uint8_t> &bytes) {
        return CheckDataPicture(bytes.data(), bytes.size(), GAME_DATA_SLOTS, DATA_PICTURES, first, picture);
    };
    ASSERT_EQ(WalkFirst(real), nullptr) << WalkFirst(real);
    EXPECT_TRUE(picture.whole);
    EXPECT_TRUE(picture.found.jpeg);
    EXPECT_EQ(picture.found.width, FULL_WIDTH);
    EXPECT_EQ(picture.found.height, FULL_HEIGHT);
    EXPECT_EQ(picture.body, real.data() + spans[first].data);
    EXPECT_EQ(picture.size, spans[first].end - spans[first].data);

    struct Flip {
        size_t at;
        const char *expect;   // null: the picture's walk passes, the whole walk refuses
    };
    const Flip flips[] = {
        {(spans[first].data + spans[first].end) / 2, "picture 27 does not match its checksum"},
        {spans[first].header + 1, "picture 27 does not match its checksum"},
        {spans[3].header + 6, "picture 3 has a broken header"},
        {spans[30].start, "picture 30 has a broken header"},
        {spans[12].header - 3, "picture 12"},
        {11, "stray bytes follow"},   // count 33 -> 32
        {(spans[28].data + spans[28].end) / 2, nullptr},
        {spans[3].data + 1000, nullptr},
        {spans[0].data + 10, nullptr},
    };
    for (const Flip &flip : flips) {
        std::vector<uint8_t> bytes = real;
        bytes[flip.at] ^= 0x01;
        const char *message = WalkFirst(bytes);
        if (flip.expect)
            EXPECT_TRUE(Says(message, flip.expect)) << "at " << flip.at << ": " << Text(message);
        else
            EXPECT_EQ(message, nullptr) << "at " << flip.at << ": " << message;
        EXPECT_NE(Walk(bytes), nullptr) << "at " << flip.at << ": the whole walk passed";
    }
    std::vector<uint8_t> cut(real.begin(), real.begin() + spans[31].data + 5);
    EXPECT_TRUE(Says(WalkFirst(cut), "picture 31 runs past the end")) << Text(WalkFirst(cut));

    // Without checksums the file says so, and the slot is still checked.
    std::vector<DatObject> objects = GameShaped();
    ASSERT_EQ(WalkFirst(EncodeDatafile(objects, false)), nullptr);
    EXPECT_FALSE(picture.whole);
    objects[first] = Bitmap(12, 10);
    EXPECT_TRUE(Says(WalkFirst(EncodeDatafile(objects, false)), "Picture 27 of game.dat is 12 x 10"));
}

TEST(DataCheck, WithoutChecksumsTheKindsAndSizesOfTheSlotsAreStillChecked)
{
    std::vector<DatObject> objects = GameShaped();
    std::vector<uint8_t> plain = EncodeDatafile(objects, false);
    ASSERT_EQ(Walk(plain), nullptr) << Walk(plain);
    std::vector<DatSpan> spans = DatafileSpans(plain);

    std::vector<DatObject> changed = objects;
    changed[POINTER] = changed[MENU_BACKGROUND];
    EXPECT_TRUE(Says(Walk(EncodeDatafile(changed, false)), "Picture 9 of game.dat is a JPEG")) << Walk(EncodeDatafile(changed, false));

    changed = objects;
    changed[HS_BACKGROUND] = JpegObject(Jpeg(320, 240));
    EXPECT_TRUE(Says(Walk(EncodeDatafile(changed, false)), "Picture 8 of game.dat is 320 x 240"));
    changed[HS_BACKGROUND] = Bitmap(FULL_WIDTH, FULL_HEIGHT - 1);
    EXPECT_TRUE(Says(Walk(EncodeDatafile(changed, false)), "is 640 x 479"));

    // A 24-bit bitmap stores three bytes a pixel, as 32-bit does: only the depth word differs.
    std::vector<uint8_t> bytes = plain;
    bytes[spans[12].data + 1] = 24;
    EXPECT_TRUE(Says(Walk(bytes), "Picture 12 of game.dat has 24-bit colour"));
    bytes[spans[12].data + 1] = 17;
    EXPECT_TRUE(Says(Walk(bytes), "picture 12 is a broken bitmap (an unknown colour depth)"));

    // Kinds: plain data may stand in the unused slot, not in a used one;
    // kinds with loaders of the library's own stand nowhere.
    bytes = plain;
    memcpy(&bytes[spans[UNUSED].header], "DATA", 4);
    EXPECT_EQ(Walk(bytes), nullptr) << Walk(bytes);
    memcpy(&bytes[spans[UNUSED].header], "FONT", 4);
    EXPECT_TRUE(Says(Walk(bytes), "Picture 2 of game.dat is a FONT object"));
    bytes = plain;
    memcpy(&bytes[spans[MENU_BACKGROUND].header], "DATA", 4);
    EXPECT_TRUE(Says(Walk(bytes), "Picture 7 of game.dat is not a bitmap"));

    // Compression, of the whole file or of one object, is refused outright.
    bytes = plain;
    PutBig32(bytes, 0, uint32_t(F_PACK_MAGIC));
    EXPECT_TRUE(Says(Walk(bytes), "compressed datafile"));
    bytes = plain;
    PutBig32(bytes, spans[6].header + 8, uint32_t(-int32_t(spans[6].end - spans[6].data)));
    EXPECT_TRUE(Says(Walk(bytes), "Picture 6 of game.dat is compressed"));

    bytes = plain;
    bytes.insert(bytes.end(), {1, 2, 3, 4, 5});
    EXPECT_TRUE(Says(Walk(bytes), "5 stray bytes"));

    objects.resize(20);
    EXPECT_TRUE(Says(Walk(EncodeDatafile(objects, false)), "holds 20 objects"));
}

TEST(DataCheck, AnObjectThatLostItsChecksumIsRefused)
{
    std::vector<uint8_t> bytes = EncodeDatafile(GameShaped());
    ASSERT_EQ(Walk(bytes), nullptr);
    // Drop object 6's checksum property, as a damaged property magic would.
    std::vector<DatSpan> spans = DatafileSpans(bytes);
    size_t property = spans[6].header - OBJECT_HEADER - 8;   // "prop", id, length, eight digits
    ASSERT_EQ(std::string(bytes.begin() + property + 4, bytes.begin() + property + 8), "PCRC");
    bytes.erase(bytes.begin() + property, bytes.begin() + spans[6].header);
    EXPECT_TRUE(Says(Walk(bytes), "picture 6 has lost its checksum")) << Text(Walk(bytes));
}

TEST(DataCheck, EveryCutOfASmallDatafileIsRefused)
{
    std::vector<DatObject> objects = {JpegObject(Jpeg(24, 16)), Bitmap(3, 2)};
    for (bool checksums : {true, false}) {
        std::vector<uint8_t> bytes = EncodeDatafile(objects, checksums);
        const DataSlot slots[] = {{true, false, 1, 1}, {true, true, 1, 1}};
        ASSERT_EQ(CheckDataBytes(bytes.data(), bytes.size(), slots, 2), nullptr);
        for (size_t cut = 0; cut < bytes.size(); cut++)
            ASSERT_NE(CheckDataBytes(bytes.data(), cut, slots, 2), nullptr) << "cut at " << cut;
    }
}

TEST(DataCheck, JpegStreamsTheAddOnDecodesPass)
{
    DataFound found;
    ASSERT_EQ(WalkJpeg(Jpeg(40, 30), &found), nullptr);
    EXPECT_EQ(found.width, 40);
    EXPECT_EQ(found.height, 30);
    EXPECT_TRUE(found.jpeg);
    EXPECT_EQ(WalkJpeg(Jpeg(33, 17, JPG_SAMPLING_422)), nullptr);
    EXPECT_EQ(WalkJpeg(Jpeg(33, 17, JPG_SAMPLING_411)), nullptr);
    EXPECT_EQ(WalkJpeg(Jpeg(33, 17, JPG_GREYSCALE)), nullptr);
    EXPECT_EQ(WalkJpeg(Jpeg(33, 17, JPG_OPTIMIZE)), nullptr);
}

TEST(DataCheck, JpegStreamsWithBrokenOrUnknownPartsAreRefused)
{
    const std::vector<uint8_t> good = Jpeg(40, 30);
    size_t frame = Segment(good, 0xC0), huffman = Segment(good, 0xC4), quant = Segment(good, 0xDB);
    ASSERT_TRUE(frame && huffman && quant);
    size_t scan = good.size() - 2;   // find the scan header from the end of the header run
    for (size_t at = 2; at + 1 < good.size(); at++)
        if (good[at] == 0xFF && good[at + 1] == 0xDA) {
            scan = at;
            break;
        }
    auto refused = [&](std::vector<uint8_t> jpeg, const char *expect) {
        const char *message = WalkJpeg(jpeg);
        return Says(message, expect) ? ::testing::AssertionSuccess()
                                     : ::testing::AssertionFailure() << Text(message);
    };
    std::vector<uint8_t> j;

    j = good;
    j[frame + 11] = 0x41;   // luma sampled 4:1, which overruns the add-on's buffers
    EXPECT_TRUE(refused(j, "a coding the game cannot read"));
    j = good;
    j[frame + 1] = 0xC9;    // arithmetic coding
    EXPECT_TRUE(refused(j, "a coding the game cannot read"));
    j = good;
    j[frame + 1] = 0xC2;    // progressive, whose damaged refinement data overruns the add-on
    EXPECT_TRUE(refused(j, "a coding the game cannot read"));
    j = good;
    j[quant + 4] |= 0x10;   // 16-bit quantisation table
    EXPECT_TRUE(refused(j, "a coding the game cannot read"));
    j = good;
    j[frame + 4] = 9;       // 12-bit samples
    EXPECT_TRUE(refused(j, "a coding the game cannot read"));

    j = good;
    j[huffman + 2] = 0xFF;  // a segment longer than the stream
    EXPECT_TRUE(refused(j, "a segment runs past its end"));
    j = good;
    j.resize(j.size() - 2);
    EXPECT_TRUE(refused(j, "no end marker"));
    j = good;
    j[0] = 0;
    EXPECT_TRUE(refused(j, "does not start as a JPEG"));

    // Two codes of length 1 fill the code space, leaving the reserved all-ones code in use.
    j = good;
    uint8_t *counts = &j[huffman + 5];
    int moved = 0;
    for (int length = 15; length >= 1 && moved < 2; length--)
        while (counts[length] && moved < 2) {
            counts[length]--;
            moved++;
        }
    counts[0] += 2;
    EXPECT_TRUE(refused(j, "a broken table"));
    j = good;
    j[huffman + 4] = 0x05;  // table id 5
    EXPECT_TRUE(refused(j, "a broken table"));

    j = good;
    j[scan + 6] = 0x33;     // the first component's scan uses tables never defined
    EXPECT_TRUE(refused(j, "a scan uses a table it never defines"));
    j = good;
    j[scan + 4] = 4;        // more components in the scan than in the frame
    EXPECT_TRUE(refused(j, "a broken scan header"));

    j = good;
    j[frame + 7] = 0;       // width 0
    j[frame + 8] = 0;
    EXPECT_TRUE(refused(j, "size is out of range"));
    j = good;
    j[frame + 7] = 0x13;    // width 4904
    EXPECT_TRUE(refused(j, "size is out of range"));

    j = good;
    size_t frameLength = size_t(good[frame + 2] << 8 | good[frame + 3]) + 2;
    j.erase(j.begin() + frame, j.begin() + frame + frameLength);
    EXPECT_TRUE(refused(j, "no frame header"));
}

// Whatever the walk and the trial decode let through, the library must load
// whole: a bit flipped anywhere in a small JPEG's headers (two of the eight in
// each byte, a different two from byte to byte) is either refused or loaded
// as a picture of the size the walk reported.
TEST(DataCheck, FlippedHeaderBitsTheWalkAcceptsLoadCleanly)
{
    StartLibrary(LIBRARY_PARTS);
    const std::vector<uint8_t> good = Jpeg(24, 16);
    size_t headers = 0;
    for (size_t at = 2; at + 1 < good.size(); at++)
        if (good[at] == 0xFF && good[at + 1] == 0xDA) {
            headers = at + 14;
            break;
        }
    ASSERT_GT(headers, 0u);
    std::string path = ScratchFile("flip.dat");
    const DataSlot slot = {true, false, 1, 1};
    int accepted = 0, refused = 0;
    for (size_t at = 0; at < headers; at++) {
        for (int bit : {int(at % 8), int((at + 5) % 8)}) {
            std::vector<uint8_t> jpeg = good;
            jpeg[at] ^= uint8_t(1 << bit);
            std::vector<uint8_t> bytes = EncodeDatafile({JpegObject(jpeg)}, false);
            DataFound found;
            if (CheckDataBytes(bytes.data(), bytes.size(), &slot, 1, &found, DataJpegDecodes)) {
                refused++;
                continue;
            }
            accepted++;
            ASSERT_TRUE(WriteBytes(path, bytes));
            DATAFILE *file = load_datafile(path.c_str());
            ASSERT_NE(file, nullptr) << "bit " << bit << " at " << at;
            BITMAP *picture = static_cast<BITMAP *>(file[0].dat);
            ASSERT_NE(picture, nullptr);
            EXPECT_EQ(picture->w, found.width) << "bit " << bit << " at " << at;
            EXPECT_EQ(picture->h, found.height) << "bit " << bit << " at " << at;
            unload_datafile(file);
        }
    }
    remove(path.c_str());
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

// Picture data that runs short makes the add-on read past the end of its
// input; what it then makes of the stream must not depend on what follows in
// memory. Every cut of a small JPEG's scan data, closed again with the end
// marker, as the last object of a datafile: the trial's verdict holds.
TEST(DataCheck, ScanDataCutShortLoadsExactlyWhenTheTrialPasses)
{
    StartLibrary(LIBRARY_PARTS);
    const std::vector<uint8_t> good = Jpeg(16, 16, JPG_GREYSCALE);
    size_t scan = 0;
    for (size_t at = 2; at + 1 < good.size(); at++)
        if (good[at] == 0xFF && good[at + 1] == 0xDA) {
            scan = at + 2 + size_t(good[at + 2] << 8 | good[at + 3]);
            break;
        }
    ASSERT_GT(scan, 0u);
    std::string path = ScratchFile("short.dat");
    const DataSlot slots[] = {{true, true, 1, 1}, {true, false, 1, 1}};
    int passed = 0;
    for (size_t cut = scan; cut + 2 < good.size(); cut++) {
        std::vector<uint8_t> jpeg(good.begin(), good.begin() + cut);
        jpeg.push_back(0xFF);
        jpeg.push_back(0xD9);
        std::vector<uint8_t> bytes = EncodeDatafile({Bitmap(2, 2), JpegObject(jpeg)}, false);
        if (CheckDataBytes(bytes.data(), bytes.size(), slots, 2, nullptr, DataJpegDecodes))
            continue;
        passed++;
        ASSERT_TRUE(WriteBytes(path, bytes));
        DATAFILE *file = load_datafile(path.c_str());
        ASSERT_NE(file, nullptr) << "scan data cut at " << cut - scan << " of " << good.size() - 2 - scan;
        unload_datafile(file);
    }
    remove(path.c_str());
    EXPECT_GT(passed, 0) << "no cut decoded: the test tried nothing";
}

// Start-up decodes every picture on trial and the loader takes the kept
// pictures instead of decoding them again: what it hands out is what a fresh
// decode gives, and a file whose objects changed since the trial still loads
// each object's own picture.
TEST(DataCheck, LoaderTakesTheTrialsPicturesOnlyForTheBytesTried)
{
    StartLibrary(LIBRARY_PARTS);
    const std::vector<uint8_t> wide = Jpeg(24, 8), tall = Jpeg(8, 24);
    const DataSlot slots[] = {{true, false, 1, 1}, {true, false, 1, 1}};
    std::string path = ScratchFile("kept.dat");
    const std::vector<uint8_t> tried = EncodeDatafile({JpegObject(wide), JpegObject(tall)}, false);
    ForgetDecodedJpegs();

    // Decoded afresh, with nothing kept.
    ASSERT_TRUE(WriteBytes(path, tried));
    DATAFILE *fresh = load_datafile(path.c_str());
    ASSERT_NE(fresh, nullptr);

    ASSERT_EQ(CheckDataBytes(tried.data(), tried.size(), slots, 2, nullptr, KeepDecodedJpeg), nullptr);
    DATAFILE *handed = load_datafile(path.c_str());
    ForgetDecodedJpegs();
    ASSERT_NE(handed, nullptr);
    for (int i = 0; i < 2; i++) {
        BITMAP *a = static_cast<BITMAP *>(fresh[i].dat), *b = static_cast<BITMAP *>(handed[i].dat);
        ASSERT_TRUE(a && b);
        ASSERT_EQ(a->w, b->w);
        ASSERT_EQ(a->h, b->h);
        for (int y = 0; y < a->h; y++)
            EXPECT_EQ(memcmp(a->line[y], b->line[y], size_t(a->w) * 4), 0) << "object " << i << " row " << y;
    }
    unload_datafile(handed);
    unload_datafile(fresh);

    // The trial saw wide then tall; the file now holds tall then wide.
    ASSERT_EQ(CheckDataBytes(tried.data(), tried.size(), slots, 2, nullptr, KeepDecodedJpeg), nullptr);
    ASSERT_TRUE(WriteBytes(path, EncodeDatafile({JpegObject(tall), JpegObject(wide)}, false)));
    DATAFILE *swapped = load_datafile(path.c_str());
    ForgetDecodedJpegs();
    remove(path.c_str());
    ASSERT_NE(swapped, nullptr);
    BITMAP *first = static_cast<BITMAP *>(swapped[0].dat), *second = static_cast<BITMAP *>(swapped[1].dat);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->w, 8);
    EXPECT_EQ(first->h, 24);
    EXPECT_EQ(second->w, 24);
    EXPECT_EQ(second->h, 8);
    unload_datafile(swapped);
}

// A file that carries every object's checksum is whole as the build made
// it, so start-up leaves its JPEG objects to the loader; one without
// checksums still has each one decoded on trial first.
TEST(DataCheck, TrialDecodesOnlyFilesWithoutChecksums)
{
    StartLibrary(LIBRARY_PARTS);
    static int trials;
    auto counting = [](const uint8_t *, size_t, int, int) {
        trials++;
        return true;
    };
    const DataSlot slots[] = {{true, false, 1, 1}, {true, false, 1, 1}};
    const std::vector<DatObject> objects = {JpegObject(Jpeg(24, 8)), JpegObject(Jpeg(8, 24))};
    const std::vector<uint8_t> summed = EncodeDatafile(objects, true);
    const std::vector<uint8_t> bare = EncodeDatafile(objects, false);

    trials = 0;
    ASSERT_EQ(CheckDataBytes(summed.data(), summed.size(), slots, 2, nullptr, counting, true), nullptr);
    EXPECT_EQ(trials, 0);
    ASSERT_EQ(CheckDataBytes(summed.data(), summed.size(), slots, 2, nullptr, counting, false), nullptr);
    EXPECT_EQ(trials, 2) << "asked for, the trial still runs";
    trials = 0;
    ASSERT_EQ(CheckDataBytes(bare.data(), bare.size(), slots, 2, nullptr, counting, true), nullptr);
    EXPECT_EQ(trials, 2);

    // Trusting checksums never lets a damaged object through: its checksum
    // no longer matches.
    std::vector<uint8_t> damaged = summed;
    damaged[damaged.size() - 40] ^= 0x10;
    trials = 0;
    EXPECT_TRUE(Says(CheckDataBytes(damaged.data(), damaged.size(), slots, 2, nullptr, counting, true),
                     "does not match its checksum"));
    EXPECT_EQ(trials, 0);

    // The game's own file is one of the whole ones.
    trials = 0;
    ASSERT_EQ(CheckDataBytes(RealGameData().data(), RealGameData().size(), GAME_DATA_SLOTS, DATA_PICTURES, nullptr,
                             counting, true),
              nullptr);
    EXPECT_EQ(trials, 0);
}
