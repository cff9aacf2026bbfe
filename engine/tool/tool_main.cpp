#include "engine/tool/tool_main.h"

#include "engine/errors.h"
#include "engine/report/dos.h"
#include "engine/report/result_file.h"
#include "engine/tool/run_guard.h"
#include "engine/tool/words.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

namespace vindrel::engine {

namespace {

constexpr const char* kSyntaxReminder
    = "Rappel : chaque composante est un polynôme en x et y, par exemple  -x+x^2  ou  3x²y-0,5y .\n"
      "On peut utiliser les nombres (2, 0,5, 1.25, 1/3), les opérations + - * / ^, les parenthèses\n"
      "et des constantes littérales (une lettre : a, b, ...). Pas d'espace dans une composante.";

// Writes texts[i] into paths[i]: every file is first written in full under a
// temporary name, then all are put in place together, if this run is still
// the newest of its tool. written[i] tells which files are in place.
WriteOutcome WriteFiles(RunGuard& guard, const std::vector<std::filesystem::path>& paths,
    const std::vector<std::string>& texts, std::vector<bool>& written)
{
    written.assign(paths.size(), false);
    std::vector<std::optional<PendingResultFile>> pending(paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        try {
            try {
                pending[i].emplace(paths[i], texts[i]);
            } catch (const std::logic_error&) {
                // A character result files cannot carry: keep what can be shown.
                pending[i].emplace(paths[i], SanitizeForDos(texts[i]));
            }
        } catch (const std::exception& e) {
            std::cerr << paths[i].string() << " : " << e.what() << '\n';
        }
    }
    return guard.WriteIfNewest([&] {
        for (size_t i = 0; i < paths.size(); ++i) {
            if (!pending[i]) continue;
            try {
                pending[i]->Commit();
                written[i] = true;
            } catch (const std::exception& e) {
                std::cerr << paths[i].string() << " : " << e.what() << '\n';
            }
        }
    });
}

bool AllWritten(const std::vector<bool>& written)
{
    return std::find(written.begin(), written.end(), false) == written.end();
}

enum class FinishStatus { Written, Superseded, CannotWrite };

constexpr std::chrono::milliseconds kSupersededPoll { 50 };

// Writes every file once: either the main thread's results or, if the budget
// runs out first, the timeout message (and then the process ends); nothing
// once a newer run has started.
class Finisher {
public:
    Finisher(RunGuard& guard, std::vector<std::filesystem::path> paths, std::chrono::milliseconds budget,
        OnSuperseded onSuperseded)
        : guard_(guard)
        , paths_(std::move(paths))
        , onSuperseded_(onSuperseded)
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

    // Writes the texts (one per file).
    FinishStatus Finish(const std::vector<std::string>& texts)
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        std::vector<bool> written;
        const WriteOutcome outcome = WriteFiles(guard_, paths_, texts, written);
        cv_.notify_all();
        if (outcome == WriteOutcome::Superseded) return FinishStatus::Superseded;
        return AllWritten(written) ? FinishStatus::Written : FinishStatus::CannotWrite;
    }

private:
    void Watch(std::chrono::milliseconds budget)
    {
        // Also ends a run that a newer one has superseded at once: its results
        // would not be written, and the newer run needs the processor.
        const auto end = std::chrono::steady_clock::now() + budget;
        std::unique_lock lock(mutex_);
        for (;;) {
            const auto next = std::min(end, std::chrono::steady_clock::now() + kSupersededPoll);
            if (cv_.wait_until(lock, next, [this] { return finished_; })) return;
            if (onSuperseded_ == OnSuperseded::EndProcess && guard_.SupersededNow())
                std::_Exit(kExitSuperseded);
            if (std::chrono::steady_clock::now() >= end) break;
        }
        finished_ = true;
        std::vector<bool> written;
        const WriteOutcome outcome
            = WriteFiles(guard_, paths_, std::vector<std::string>(paths_.size(), kTimeoutMessage), written);
        if (outcome == WriteOutcome::Superseded) std::_Exit(kExitSuperseded);
        std::cerr << kTimeoutMessage << '\n';
        std::_Exit(kExitTimeout);
    }

    RunGuard& guard_;
    std::vector<std::filesystem::path> paths_;
    OnSuperseded onSuperseded_;
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

    RunGuard guard(dir, tool.toolName);
    if (guard.supersededAtStart()) return kExitSuperseded;

    std::vector<bool> written;
    if (WriteFiles(guard, paths, std::vector<std::string>(paths.size(), kPlaceholder), written)
        == WriteOutcome::Superseded)
        return kExitSuperseded;
    if (!AllWritten(written)) {
        // Do not leave a placeholder where the others cannot be written.
        std::vector<std::filesystem::path> placed;
        for (size_t i = 0; i < paths.size(); ++i)
            if (written[i]) placed.push_back(paths[i]);
        const std::string message = "Les fichiers de résultats de " + tool.toolName
            + " n'ont pas tous pu être écrits dans " + SanitizeForDos(dir.string()) + ".\n";
        if (WriteFiles(guard, placed, std::vector<std::string>(placed.size(), message), written)
            == WriteOutcome::Superseded)
            return kExitSuperseded;
        return kExitCannotWrite;
    }

    Finisher finisher(guard, paths, tool.budget, tool.onSuperseded);
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
    switch (finisher.Finish(texts)) {
    case FinishStatus::Superseded:
        return kExitSuperseded;
    case FinishStatus::CannotWrite:
        return kExitCannotWrite;
    case FinishStatus::Written:
        break;
    }
    if (status != kExitOk && !texts.empty()) std::cerr << tool.toolName << " : " << texts.front() << '\n';
    return status;
}

} // namespace vindrel::engine
