#pragma once
// Each model family (club, props, textures, dancers, ...) registers the writer of its files
// from its own source file, so a new family is one new file.

#include <filesystem>

namespace content {

// Writes the family's files into the Models folder; false when one was refused.
using FamilyWriter = bool (*)(const std::filesystem::path& models);

// Returns true, so a family can register from a namespace-scope initialiser.
bool RegisterFamily(const char* name, FamilyWriter writer);

// Every family in name order, so the output never depends on static initialisation order.
bool WriteAllFamilies(const std::filesystem::path& models);

}  // namespace content
