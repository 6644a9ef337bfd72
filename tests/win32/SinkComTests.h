#pragma once

// The groups of the sink library test program.
void RunRegisteredEntryTests();
void RunTypeLibraryTests();
void RunAutomationTests();
void RunStoreEventTests();
void RunUnregisteredTests();

// Identifiers as the registry spells them.
inline constexpr char kClsidText[] = "{43FDAD47-0820-4223-A6D8-7511C42A3A9A}";
inline constexpr char kLibidText[] = "{52EA5F07-01B6-4444-B821-C0F865C91106}";
inline constexpr char kIidText[] = "{78C42E18-F371-4246-9B4A-B170937668EB}";
