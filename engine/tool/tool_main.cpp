#include "engine/tool/tool_main.h"

#include "engine/errors.h"
#include "engine/report/dos.h"
#include "engine/report/result_file.h"
#include "engine/tool/words.h"

#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

namespace vindrel::engine {

namespace {

constexpr const char* kSyntaxReminder
    = "Rappel : chaque composante est un polynôme en x et y, par exemple  -x+x^2  ou  3x²y-0,5y .\n"
      "On peut utiliser les nombres (2, 0,5, 1.25, 1/3), les opérations + - * / ^, les parenthèses\n"
      "et des constantes littérales (une lettre : a, b, ...). Pas d'espace dans une composante.";

// Writes every file once: either the main thread's results or, if the budget
// runs out first, the timeout message (and then the process ends).
class Finisher {
public:
    Finisher(std::vector<std::filesystem::path> paths, std::chrono::milliseconds budget)
        : paths_(std::move(paths))
    {
        watchdog_ = std::thread([this, budget] { Watch(budget); });
    }
    ~Finisher()
    {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        cv_.notify_all();
        watchdog_.join();
    }
    Finisher(const Finisher&) = delete;
    Finisher& operator=(const Finisher&) = delete;

    // Writes the texts (one per file); returns false if a file could not be written.
    bool Finish(const std::vector<std::string>& texts)
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        const bool ok = WriteAll(texts);
        cv_.notify_all();
        return ok;
    }

private:
    void Watch(std::chrono::milliseconds budget)
    {
        std::unique_lock lock(mutex_);
        if (cv_.wait_for(lock, budget, [this] { return finished_; })) return;
        finished_ = true;
        WriteAll(std::vector<std::string>(paths_.size(), kTimeoutMessage));
        std::cerr << kTimeoutMessage << '\n';
        std::_Exit(kExitTimeout);
    }

    bool WriteAll(const std::vector<std::string>& texts)
    {
        bool ok = true;
        for (size_t i = 0; i < paths_.size(); ++i) {
            try {
                WriteResultFile(paths_[i], texts[i]);
            } catch (const std::logic_error&) {
                // A character result files cannot carry: keep what can be shown.
                try {
                    WriteResultFile(paths_[i], SanitizeForDos(texts[i]));
                } catch (const std::exception& e) {
                    std::cerr << paths_[i].string() << " : " << e.what() << '\n';
                    ok = false;
                }
            } catch (const std::exception& e) {
                std::cerr << paths_[i].string() << " : " << e.what() << '\n';
                ok = false;
            }
        }
        return ok;
    }

    std::vector<std::filesystem::path> paths_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool finished_ = false;
    std::thread watchdog_;
};

} // namespace

std::string ErrorReport(const std::string& message)
{
    return SanitizeForDos(message) + "\n\n" + kSyntaxReminder + "\n";
}

int RunTool(int argc, char** argv, const ToolSpec& tool,
    const std::function<std::vector<std::string>(const ParsedSystem&)>& compute)
{
    std::filesystem::path dir = tool.outputDir;
    if (dir.empty()) {
        try {
            dir = ExecutableDir();
        } catch (const std::exception& e) {
            std::cerr << tool.toolName << " : " << e.what() << '\n';
            return kExitCannotWrite;
        }
    }
    std::vector<std::filesystem::path> paths;
    for (const std::string& f : tool.files)
        paths.push_back(dir / f);

    std::vector<std::filesystem::path> placed;
    for (const auto& path : paths) {
        try {
            WriteResultFile(path, kPlaceholder);
            placed.push_back(path);
        } catch (const std::exception& e) {
            std::cerr << tool.toolName << " : " << path.string() << " : " << e.what() << '\n';
        }
    }
    if (placed.size() != paths.size()) {
        // Do not leave a placeholder where the others cannot be written.
        for (const auto& path : placed) {
            try {
                WriteResultFile(path,
                    "Les fichiers de résultats de " + tool.toolName + " n'ont pas tous pu être écrits dans "
                        + SanitizeForDos(dir.string()) + ".\n");
            } catch (const std::exception&) {
            }
        }
        return kExitCannotWrite;
    }

    Finisher finisher(paths, tool.budget);
    std::vector<std::string> texts;
    int status = kExitOk;
    try {
        const std::vector<std::string> words(argv + std::min(argc, 1), argv + argc);
        const Components c = RejoinWords(words, tool.takesVarsWord ? VarsWord::Present : VarsWord::Absent);
        const ParsedSystem system = ParseSystem(c.p, c.q, c.xvar, c.yvar);
        texts = compute(system);
        if (texts.size() != paths.size())
            throw std::logic_error(tool.toolName + " : nombre de textes différent du nombre de fichiers");
    } catch (const ParseError& e) {
        texts.assign(paths.size(), ErrorReport(std::string("Le système n'a pas pu être lu.\n") + e.what()));
        status = kExitInputError;
    } catch (const ParametersNotSupported& e) {
        texts.assign(paths.size(), SanitizeForDos(e.what()) + "\n");
        status = kExitInputError;
    } catch (const LimitExceeded& e) {
        texts.assign(paths.size(), SanitizeForDos(e.what()) + "\n");
        status = kExitInputError;
    } catch (const EngineError& e) {
        texts.assign(paths.size(), ErrorReport(e.what()));
        status = kExitInputError;
    } catch (const std::exception& e) {
        texts.assign(paths.size(),
            "Erreur interne de " + tool.toolName + " : " + SanitizeForDos(e.what())
                + "\nLe calcul n'a pas pu aboutir pour ce système.\n");
        status = kExitInternalError;
    }
    if (status != kExitOk && !texts.empty()) std::cerr << tool.toolName << " : " << texts.front() << '\n';
    if (!finisher.Finish(texts)) return kExitCannotWrite;
    return status;
}

} // namespace vindrel::engine
