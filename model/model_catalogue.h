#pragma once
// The fixed catalogue of the scene's model kinds: names, kind numbers, the placements of their
// copies in the club and the material flags and textures of their parts; the marker files
// that choose the model variant; the file names the factories load.

#include <cstdint>
#include <string>

// Flags of a part entry, by index into ModelPartEntry::flags.
enum PartEntryFlag : int {
    kEntryShiny = 0,
    kEntryWood = 1,
    kEntryDeforming = 2,    // no display list; moved by the dance deformations
    kEntryTranslucent = 3,  // second pass with alpha 0.7 (dancer type 2 only)
    kEntryLuminous = 4,
    kEntryToon = 5,
    kEntryReflective = 6,
    kEntryBumpMapped = 7,
};

struct ModelPartEntry {
    std::uint8_t flags[8];
    const char* texture;  // file in the Models folder, "none" for no texture
};

struct ModelRecord {
    const char* name;            // the file name stem
    std::uint32_t type;          // the model kind
    std::int32_t instanceCount;  // placed copies
    const float* rotY;           // per copy, degrees
    const float (*positions)[3];  // per copy (x, y, z)
    std::uint64_t partCount;
    ModelPartEntry* parts;       // shared by every copy of the record
};

// Model kinds (ModelRecord::type).
enum ModelType : int {
    kTypeMirel = 0,
    kTypeMirelH = 1,
    kTypeMirelB = 2,
    kTypeOrlaq = 3,
    kTypeIvret = 4,
    kTypePemsa = 5,
    kTypeDaxil = 6,
    kTypeClub = 14,
    kTypeTable4 = 15,
    kTypeTable2 = 16,
    kTypeStool = 17,
    kTypeSpeaker = 18,
    kTypeSpotLight = 19,
    kTypePlant = 20,
    kTypeBooth = 21,
    kTypeVideoGame = 22,
    kTypeTableGame = 23,
};

constexpr int kDancerCount = 7;
constexpr int kPropCount = 9;

// Prop records in catalogue order (index into PropRecords).
enum PropIndex : int {
    kPropTable4,
    kPropTable2,
    kPropStool,
    kPropBooth,
    kPropSpotLight,
    kPropPlant,
    kPropSpeaker,
    kPropVideoGame,
    kPropTableGame,
};

extern ModelRecord ClubRecord;
extern ModelRecord DancerRecords[kDancerCount];  // by dancer index
extern ModelRecord PropRecords[kPropCount];      // by PropIndex

// Content globals (UI thread).
extern int ModelVariant;                     // 0 plain, 1 "SexyGirl", 2 "NudeGirl"
extern int DancerAvailable[kDancerCount];    // the dancer's model file exists
extern int PropsAvailable;                   // 1 once any prop loaded
extern int ShadowsAvailable;                 // cleared when the shadow copy cannot be loaded

// Fills the seven dancer part tables; called once before any model is loaded.
void InitMaterialTables();

// 1 when the current directory, a slash and the name form the path of a file (not a folder,
// pipe or device) that opens for reading.
int FileExists(const char* name);

// Relative paths of the files the factories load ("Models/%s.dat" and its variants).
std::string PropModelPath(const ModelRecord& record);
std::string DancerModelPath(int variant, const ModelRecord& record);
std::string DancerShadowPath(int variant, const ModelRecord& record);

// DancerAvailable[i] = whether the file that the dancer factory would load in this variant
// exists; variant 2 offers neither MirelH nor MirelB.
void CheckDancerModelFiles(int variant);
