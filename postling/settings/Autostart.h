// The two settings of the general page that reach outside the program: the
// entry in the ICQ NetDetect Agent's list of programs to start (the agent
// starts the program with "/autostart"), and the check of the mail program.
#pragma once

#include <windows.h>

#include <string>

// The agent's list under HKEY_CURRENT_USER, and the program's entry in it.
constexpr char kAgentAppsKey[] = "Software\\Mirabilis\\ICQ\\Agent\\Apps";
constexpr char kAgentEntryName[] = "V&S Post Sentry";

// The name of the program's entry in the open list key: a subkey whose
// "Path" holds the program's path (case ignored), searched from the last
// subkey to the first; empty when there is none.
std::string FindAgentEntry(HKEY appsKey);

// What the page shows: whether the agent's list exists, and whether the
// program is in it.
struct AgentState {
    bool listExists = false;
    bool entryExists = false;
};
AgentState ReadAgentState();

enum class AgentResult { Done, NoList };
// Puts the program's entry into the agent's list (removing any other entry
// for the program first) or takes it out. NoList: the list cannot be opened
// for writing, and the entry was to be written.
AgentResult WriteAgentEntry(bool enable);

// The mail program's text checked: blanks around it removed, the file
// looked up in its directory. True with `stored` the trimmed text when
// found, or when the text is empty (no mail program).
bool CheckMailer(const std::string& text, std::string& stored);
