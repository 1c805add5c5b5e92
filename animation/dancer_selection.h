#pragma once
// Creating the dancer and her shadow copy from a catalogue record, replacing both when another
// dancer is chosen, and handing the pose from the dancer to the shadow copy. UI thread only.

#include <cstdint>
#include <memory>

#include "animation/human_object.h"

// Loads the variant's file of the record and places the dancer. A missing or unusable file
// reports "I couldn't find <name>.dat!" as a fatal message and gives null. Sets
// DancerAvailable[record type], and leaves DeformPartIndex describing this dancer (all -1 on
// failure).
std::unique_ptr<CHumanObject> CreateDancer(int variant, const ModelRecord* record);

// Loads the variant's shadow file of the record without textures. A shadow that is missing,
// unusable or whose node types differ from the dancer's gives null and switches shadows off
// (RenderShadows and ShadowsAvailable 0), without a message. DeformPartIndex keeps describing
// the dancer.
std::unique_ptr<CHumanObject> CreateDancerShadow(int variant, const ModelRecord* record,
                                                 const CModelObject& dancer);

// Replaces Dancer and DancerShadow by dancer index 0 to 6; 1 when the new dancer loaded. A bad
// index changes nothing; otherwise CurrentDancer is the index whatever the outcome.
int SelectDancer(int variant, int index);

// Frees Dancer and DancerShadow and sets both to null (shut-down).
void ReleaseDancers();

// Copies the current matrix of each joint node of source to the joint at the same node index
// of target; angles and rest matrices stay. A null target does nothing.
void CopyPartTransforms(const CModelObject* source, CModelObject* target);

// True when both models have the same sequence of node types.
bool SameNodeTypes(const CModelObject& a, const CModelObject& b);
