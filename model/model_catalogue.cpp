#include "model/model_catalogue.h"

#include <filesystem>
#include <fstream>
#include <system_error>

int ModelVariant = 0;
int DancerAvailable[kDancerCount] = {1, 1, 1, 1, 1, 1, 1};
int PropsAvailable = 0;
int ShadowsAvailable = 1;

namespace {

// Shorthands for part tables: S shiny, R reflective, W wood, D deforming, L luminous,
// B bump-mapped.
constexpr ModelPartEntry kPlain = {{0, 0, 0, 0, 0, 0, 0, 0}, "none"};
constexpr ModelPartEntry kShinyReflective = {{1, 0, 0, 0, 0, 0, 1, 0}, "none"};
constexpr ModelPartEntry kWood = {{0, 1, 0, 0, 0, 0, 0, 0}, "none"};
constexpr ModelPartEntry kLuminous = {{0, 0, 0, 0, 1, 0, 0, 0}, "none"};

ModelPartEntry ClubParts[7] = {
    kPlain,
    {{0, 0, 0, 0, 0, 0, 0, 1}, "ceiling.gif"},
    kPlain,
    kWood,
    kShinyReflective,
    {{0, 0, 0, 0, 0, 0, 0, 0}, "carpet.gif"},
    kPlain,
};
ModelPartEntry Table4Parts[10] = {kShinyReflective, kWood,  kShinyReflective, kPlain,
                                  kShinyReflective, kPlain, kShinyReflective, kPlain,
                                  kShinyReflective, kPlain};
ModelPartEntry Table2Parts[6] = {kShinyReflective, kWood, kShinyReflective, kPlain,
                                 kShinyReflective, kPlain};
ModelPartEntry StoolParts[2] = {kShinyReflective, kPlain};
ModelPartEntry BoothParts[5] = {kWood, kWood, kPlain, kPlain, kWood};
ModelPartEntry SpotLightParts[2] = {kPlain, kLuminous};
ModelPartEntry PlantParts[1] = {kPlain};
ModelPartEntry SpeakerParts[2] = {kPlain, kPlain};
ModelPartEntry VideoGameParts[1] = {kPlain};
ModelPartEntry TableGameParts[1] = {kPlain};

ModelPartEntry MirelParts[59];
ModelPartEntry MirelHParts[59];
ModelPartEntry MirelBParts[68];
ModelPartEntry OrlaqParts[59];
ModelPartEntry IvretParts[59];
ModelPartEntry PemsaParts[60];
ModelPartEntry DaxilParts[58];

// Placements: y rotation in degrees, then (x, y, z); -975 is the club's lower floor, -425 its
// terraces.
const float kClubRot[] = {180};
const float kClubPos[][3] = {{-8000, -975, 11000}};
const float kOriginRot[] = {0};
const float kOriginPos[][3] = {{0, 0, 0}};

const float kTable4Rot[] = {220, 220, 220, 220, 220, 220, 220, 220, 220};
const float kTable4Pos[][3] = {{9551, -975, 311},  {6400, -975, -2100}, {-2451, -975, 7200},
                               {4949, -975, 655},  {5349, -975, 4340},  {1498, -975, 4065},
                               {4899, -975, 7946}, {13599, -425, 6081}, {1298, -975, 7688}};
const float kTable2Rot[] = {220, 274.73682f, 222.8809f, 160};
const float kTable2Pos[][3] = {
    {11649, -425, 2672}, {9899, -425, 7567}, {7298, -425, 14178}, {898, -425, 16378}};
const float kStoolRot[] = {0, 0, 0, 0, 0, 0, 0, 0};
const float kStoolPos[][3] = {{-11000, -975, -2220}, {-12024, -975, -1018}, {-13030, -975, 44},
                              {-14150, -975, 1330},  {-15155, -975, 2450},  {-16500, -975, 3510},
                              {-18120, -975, 3730},  {-19400, -975, 3175}};
const float kBoothRot[] = {130.1385f, 130.1385f, 130.1385f, 131.1357f, 131.1357f,
                           131.1357f, 224.8753f, 224.8753f, 224.8753f, 224.8753f,
                           224.8753f, 224.8753f, 224.8753f};
const float kBoothPos[][3] = {{10081, -975, -4356}, {11450, -975, -2715}, {12860, -975, -1010},
                              {14449, -425, 1022},  {15949, -425, 2727},  {17349, -425, 4378},
                              {17048, -425, 8673},  {15498, -425, 10268}, {13948, -425, 11808},
                              {12498, -425, 13403}, {10948, -425, 14943}, {9348, -425, 16593},
                              {7748, -425, 18133}};
const float kSpotLightRot[] = {0, 0, 0, 0, 0, 0, 0, 0, 0};
const float kSpotLightPos[][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0},
                                  {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
const float kPlantRot[] = {180, 180, 46.667007f, 246.6667f};
const float kPlantPos[][3] = {
    {17950, -425, 6757}, {7749, -975, 10623}, {5599, -975, 13043}, {3699, -975, 14858}};
const float kSpeakerRot[] = {180, 180};
const float kSpeakerPos[][3] = {{7850, 3425, -6485}, {-6101, 3425, -6485}};
const float kVideoGameRot[] = {105,      102.8571f, 100.8791f,   98.3333f,
                               95,       68.519f,   -13.332993f, 330,
                               323.333f, 323.333f,  317.238f,    313.333f};
const float kVideoGamePos[][3] = {
    {-13201, -425, 18914}, {-15950, -425, 19667}, {-19200, -425, 20382}, {-22700, -425, 21207},
    {-26000, -425, 21757}, {-29300, -425, 21482}, {-30650, -425, 18017}, {-29450, -425, 14992},
    {-27700, -425, 12242}, {-25850, -425, 10042}, {-23950, -425, 7567},  {-21950, -425, 5477}};
const float kTableGameRot[] = {123.3333f, 122.160706f, 122.160706f, 122.160706f};
const float kTableGamePos[][3] = {
    {-16300, -425, 15338}, {-22400, -425, 18017}, {-24050, -425, 14057}, {-20050, -425, 10152}};

template <std::size_t N, std::size_t P>
ModelRecord Record(const char* name, std::uint32_t type, const float (&rot)[N],
                   const float (&pos)[N][3], ModelPartEntry (&parts)[P]) {
    return {name, type, static_cast<std::int32_t>(N), rot, pos, P, parts};
}

// Sets the listed flag on the listed parts of a dancer's table.
void SetFlag(ModelPartEntry* parts, int flag, std::initializer_list<int> indices) {
    for (int i : indices) parts[i].flags[flag] = 1;
}

bool OpensForReading(const std::string& relative) {
    std::error_code error;
    const std::filesystem::path dir = std::filesystem::current_path(error);
    if (error) return false;
    // Folders open for reading here and named pipes block the opening, but neither can be read
    // as a file: a dancer offered for one would fail fatally once chosen.
    if (!std::filesystem::is_regular_file(dir / relative, error)) return false;
    std::ifstream file(dir / relative, std::ios::binary);
    return static_cast<bool>(file);
}

}  // namespace

ModelRecord ClubRecord = Record("Club", kTypeClub, kClubRot, kClubPos, ClubParts);

ModelRecord DancerRecords[kDancerCount] = {
    Record("Mirel", kTypeMirel, kOriginRot, kOriginPos, MirelParts),
    Record("MirelH", kTypeMirelH, kOriginRot, kOriginPos, MirelHParts),
    Record("MirelB", kTypeMirelB, kOriginRot, kOriginPos, MirelBParts),
    Record("Orlaq", kTypeOrlaq, kOriginRot, kOriginPos, OrlaqParts),
    Record("Ivret", kTypeIvret, kOriginRot, kOriginPos, IvretParts),
    Record("Pemsa", kTypePemsa, kOriginRot, kOriginPos, PemsaParts),
    Record("Daxil", kTypeDaxil, kOriginRot, kOriginPos, DaxilParts),
};

ModelRecord PropRecords[kPropCount] = {
    Record("Table4", kTypeTable4, kTable4Rot, kTable4Pos, Table4Parts),
    Record("Table2", kTypeTable2, kTable2Rot, kTable2Pos, Table2Parts),
    Record("Stool", kTypeStool, kStoolRot, kStoolPos, StoolParts),
    Record("Booth", kTypeBooth, kBoothRot, kBoothPos, BoothParts),
    Record("SpotLight", kTypeSpotLight, kSpotLightRot, kSpotLightPos, SpotLightParts),
    Record("Plant", kTypePlant, kPlantRot, kPlantPos, PlantParts),
    Record("Speaker", kTypeSpeaker, kSpeakerRot, kSpeakerPos, SpeakerParts),
    Record("VideoGame", kTypeVideoGame, kVideoGameRot, kVideoGamePos, VideoGameParts),
    Record("TableGame", kTypeTableGame, kTableGameRot, kTableGamePos, TableGameParts),
};

void InitMaterialTables() {
    for (ModelRecord& record : DancerRecords) {
        for (std::uint64_t p = 0; p < record.partCount; ++p) {
            record.parts[p] = {{0, 0, 0, 0, 0, 1, 0, 0}, "none"};  // toon everywhere
        }
    }
    for (ModelPartEntry* parts : {MirelParts, MirelHParts, IvretParts}) {
        SetFlag(parts, kEntryDeforming, {9, 10});
        SetFlag(parts, kEntryShiny, {21, 22});
    }
    // Ivret's part 15 swings with the pendant motion, so it must not be frozen in a list.
    SetFlag(IvretParts, kEntryDeforming, {15});
    SetFlag(MirelBParts, kEntryDeforming, {14, 15});
    SetFlag(MirelBParts, kEntryShiny, {26, 27});
    SetFlag(MirelBParts, kEntryTranslucent, {1, 3, 5, 9, 11, 30, 32, 50, 52});
    SetFlag(OrlaqParts, kEntryDeforming, {0, 9, 10});
    SetFlag(OrlaqParts, kEntryShiny, {21, 22});
    OrlaqParts[12].texture = "frekles.gif";
    SetFlag(PemsaParts, kEntryDeforming, {0, 9, 10});
    SetFlag(PemsaParts, kEntryShiny, {22, 23});
    PemsaParts[10].texture = "Heart.gif";
    SetFlag(DaxilParts, kEntryDeforming, {9, 10});
    SetFlag(DaxilParts, kEntryShiny, {14, 16, 20, 21});
}

int FileExists(const char* name) { return OpensForReading(name) ? 1 : 0; }

std::string PropModelPath(const ModelRecord& record) {
    return std::string("Models/") + record.name + ".dat";
}

std::string DancerModelPath(int variant, const ModelRecord& record) {
    const std::string stem = std::string("Models/") + record.name;
    if (variant == 1 && record.type != kTypeMirelB) return stem + "Sx.dat";
    if (variant == 2 && record.type != kTypeMirelH && record.type != kTypeMirelB) {
        return stem + "N.dat";
    }
    return stem + ".dat";
}

std::string DancerShadowPath(int variant, const ModelRecord& record) {
    const std::string stem = std::string("Models/") + record.name;
    if (variant == 2 && record.type != kTypeMirelH && record.type != kTypeMirelB) {
        return stem + "NShadow.dat";
    }
    return stem + "Shadow.dat";
}

void CheckDancerModelFiles(int variant) {
    for (int i = 0; i < kDancerCount; ++i) {
        DancerAvailable[i] = FileExists(DancerModelPath(variant, DancerRecords[i]).c_str());
    }
    if (variant == 2) {
        DancerAvailable[kTypeMirelH] = 0;
        DancerAvailable[kTypeMirelB] = 0;
    }
}
