#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "note.h"
#include "outside_change.h"
#include "text_list.h"

// Every note command writes its change at once, in one open-select-write-close cycle on
// "Settings.ini"; so do a pause in typing and the end of a drag. At an orderly end,
// StoreChangedNotes keeps what was typed or moved since.

// The settings file's full path, as this process names it; empty when that cannot be told.
std::string SettingsFilePath();

// The names of the file's groups, in file order; refilled by each walk over the groups.
extern TextList GroupNameList;

// Fills GroupNameList from the open document; groups without a name are left out. False when a
// name could not be read or listed: the list then lacks it.
bool CollectGroupNames();
// Adds the group names of the file as it is now; else why they are not all there: the file
// could not be read whole, or (Unread) a name could not be read or listed.
FileFailure StoredGroupNames(std::vector<std::string>& names);

// Each writes "XPos", "YPos" (where the window stands now), "Size" (except StoreRollup) and
// its own key into the note's group.
void StoreHidden(ObjectNumber note, std::int32_t hidden);
void StoreRollup(ObjectNumber note, std::int32_t rollup);
void StoreBkgColor(ObjectNumber note, std::int32_t colour);
void StoreFrontColor(ObjectNumber note, std::int32_t colour);
void StoreFont(ObjectNumber note, const char* face, std::int32_t pointSize, std::int32_t style);
// "Save note"; writes nothing when the text could not be fetched.
void StoreTitleAndText(ObjectNumber note);
// In one cycle: what "Save note" writes for every live note whose text changed since it was
// built or stored, "XPos" and "YPos" for one only moved, and a text size stepped since. With
// nothing to store the file is not even opened. False when something could not be stored; it
// stays changed for the next try.
bool StoreChangedNotes();
void StoreSizeSmall(ObjectNumber note);
void StoreSizeNormal(ObjectNumber note);
void StoreSizeLarge(ObjectNumber note);
void StoreAlpha(ObjectNumber note, std::int32_t alpha);
void StoreOnTop(ObjectNumber note, std::int32_t onTop);

// Keeps the note's group in the bin, typing not yet stored included, then removes it from the
// file. False, with the file untouched and the person told, when the bin could not take it.
bool DeleteNoteGroup(ObjectNumber note);
// "Hidden" in every group of the file, also groups that no window shows.
void StoreHiddenForAll(std::int32_t hidden);
// All fourteen keys of a note just created, with the values it was built with.
void StoreNewNote(const Note& note);
// Appends the group's lines to the bin, after a line dating them ("; Deleted " and the time, then
// `why`); each entry after a blank line, so one cut short by a power cut never runs into the next.
FileFailure KeepInBin(const std::string& group, const char* why);
// In one cycle, every key of each note: its group is made again whole where the file lost it.
void StoreNotesWhole(const std::vector<ObjectNumber>& notes);
// In one cycle: the group `copy` whole (its "Title" its name), and the note's text as "Save note"
// writes it, so that neither text is ever lost.
void StoreBothTexts(ObjectNumber note, const ReadGroup& copy);
