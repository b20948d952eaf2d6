#include "console/terminal/LineEditor.h"

#include "console/TypedPaths.h"
#include "console/terminal/TerminalInput.h"
#include "console/terminal/TerminalKeys.h"
#include "console/terminal/TerminalOutput.h"

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <vector>

#include <editline/readline.h>

namespace zorvek {

namespace {

constexpr int quotedInsertKey = 0x16;  // Ctrl-V: the next character goes into the line as it is

// What the character source hands to libedit during one readLine.
struct EditSession {
    TerminalInput* input = nullptr;
    std::deque<int> prefill;
    const std::vector<std::string>* words = nullptr;  // what Tab completes instead of file names
};
EditSession* activeSession = nullptr;

bool isControl(int code) {
    return code < 0x20 || code == 0x7f;
}

// libedit's characters come from here (as code points): first the prefill, as if
// typed, then the terminal through the console's own input.
int nextCharacter(FILE*) {
    EditSession& session = *activeSession;
    if (!session.prefill.empty()) {
        const int code = session.prefill.front();
        session.prefill.pop_front();
        return code;
    }
    const std::optional<unsigned char> lead = session.input->readByte();
    if (!lead) {
        return -1;
    }
    return decodeFirstCharacter(readCharacterBytes(*session.input, *lead)).code;
}

std::deque<int> prefillCharacters(std::string_view text) {
    std::deque<int> codes;
    while (!text.empty()) {
        const Utf8Character character = decodeFirstCharacter(text);
        if (isControl(character.code)) {
            codes.push_back(quotedInsertKey);
        }
        codes.push_back(character.code);
        text.remove_prefix(character.length);
    }
    return codes;
}

char* withFolderSeparator(char* name) {
    const std::size_t length = std::strlen(name);
    auto* longer = static_cast<char*>(std::realloc(name, length + 2));
    if (longer == nullptr) {
        return name;
    }
    longer[length] = '/';
    longer[length + 1] = '\0';
    return longer;
}

// A folder completed on its own gets its separator, so that Tab goes on inside it.
// The matches are libedit's: the common part first, then each match, then null.
void markFolder(char** matches) {
    if (matches == nullptr || matches[0] == nullptr || matches[1] == nullptr || matches[2] != nullptr) {
        return;
    }
    const std::string_view name = matches[1];
    std::error_code error;
    if (name.empty() || name.back() == '/' || !std::filesystem::is_directory(typedPathToAbsolute(name), error)) {
        return;
    }
    matches[0] = withFolderSeparator(matches[0]);
    matches[1] = withFolderSeparator(matches[1]);
}

bool startsWithIgnoringCase(std::string_view word, std::string_view start) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return word.size() >= start.size() &&
           std::equal(start.begin(), start.end(), word.begin(), [&](char a, char b) { return lower(a) == lower(b); });
}

// libedit's generator protocol: called with state 0 first, then until it returns null.
char* nextWordMatch(const char* text, int state) {
    static std::size_t next = 0;
    if (state == 0) {
        next = 0;
    }
    const std::vector<std::string>& words = *activeSession->words;
    while (next < words.size()) {
        const std::string& word = words[next++];
        if (startsWithIgnoringCase(word, text)) {
            return strdup(word.c_str());
        }
    }
    return nullptr;
}

// The whole line is one file name (or one word of the list): no word breaks, so
// names with blanks complete, and no quoting of the completion.
char** completeLine(const char* text, int, int) {
    rl_attempted_completion_over = 1;
    if (activeSession != nullptr && activeSession->words != nullptr) {
        return rl_completion_matches(text, nextWordMatch);
    }
    char** matches = rl_completion_matches(text, rl_filename_completion_function);
    markFolder(matches);
    return matches;
}

struct StreamCloser {
    void operator()(FILE* stream) const { std::fclose(stream); }
};

// libedit keeps the streams it is given for the rest of the run; a stream
// opened here on a copy of the descriptor is closed when the program ends.
FILE* streamFor(int fd, FILE* standardStream, const char* mode) {
    static std::vector<std::unique_ptr<FILE, StreamCloser>> opened;
    if (fd == fileno(standardStream)) {
        return standardStream;
    }
    const int copy = dup(fd);
    FILE* stream = copy < 0 ? nullptr : fdopen(copy, mode);
    if (stream == nullptr) {
        if (copy >= 0) {
            close(copy);
        }
        return standardStream;
    }
    opened.emplace_back(stream);
    return stream;
}

void setUpLibedit(int inputFd, int outputFd) {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    rl_readline_name = "zorvek";
    rl_instream = streamFor(inputFd, stdin, "r");
    rl_outstream = streamFor(outputFd, stdout, "w");
    rl_getc_function = nextCharacter;
    rl_attempted_completion_function = completeLine;
    rl_basic_word_break_characters = "";
    rl_completion_append_character = '\0';
}

// libedit decodes input and measures the prompt with the locale's character set;
// the program's text is UTF-8 whatever the environment says.
class Utf8LocaleScope {
public:
    Utf8LocaleScope() {
        locale_ = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
        if (locale_ != nullptr && std::strcmp(nl_langinfo_l(CODESET, locale_), "UTF-8") != 0) {
            freelocale(locale_);
            locale_ = nullptr;
        }
        if (locale_ == nullptr) {
            locale_ = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        }
        if (locale_ != nullptr) {
            previous_ = uselocale(locale_);
        }
    }
    ~Utf8LocaleScope() {
        if (locale_ != nullptr) {
            uselocale(previous_);
            freelocale(locale_);
        }
    }
    Utf8LocaleScope(const Utf8LocaleScope&) = delete;
    Utf8LocaleScope& operator=(const Utf8LocaleScope&) = delete;

private:
    locale_t locale_ = nullptr;
    locale_t previous_ = nullptr;
};

}  // namespace

LineEditor::LineEditor(TerminalInput& input, int outputFd) : input_(input) {
    setUpLibedit(input.fd(), outputFd);
}

std::optional<std::string> LineEditor::readLine(const std::string& prompt, std::string_view prefill,
                                                const std::vector<std::string>* words) {
    EditSession session{&input_, prefillCharacters(prefill), words};
    activeSession = &session;
    char* line = nullptr;
    {
        Utf8LocaleScope utf8;
        line = readline(prompt.c_str());
    }
    activeSession = nullptr;
    std::fflush(rl_outstream);
    if (line == nullptr) {
        return std::nullopt;
    }
    std::string text(line);
    std::free(line);
    if (!text.empty()) {
        add_history(text.c_str());
    }
    return text;
}

std::string promptWithTypingColour(std::string_view markedPrompt, std::string_view colourSequence) {
    std::size_t lastVisible = std::string_view::npos;
    bool invisible = false;
    for (std::size_t i = 0; i < markedPrompt.size(); ++i) {
        const char c = markedPrompt[i];
        if (c == invisibleStart || c == invisibleEnd) {
            invisible = c == invisibleStart;
        } else if (!invisible && (static_cast<unsigned char>(c) & 0xc0) != 0x80) {
            lastVisible = i;
        }
    }
    std::string prompt(markedPrompt);
    if (lastVisible != std::string_view::npos) {
        std::string colourChange(1, invisibleStart);
        colourChange.append(colourSequence).push_back(invisibleEnd);
        prompt.insert(lastVisible, colourChange);
    }
    return prompt;
}

}  // namespace zorvek
