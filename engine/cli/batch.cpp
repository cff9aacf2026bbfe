#include "engine/cli/batch.h"

#include "engine/batch/batch.h"
#include "engine/text/json_object.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vindrel::engine {

namespace {

constexpr unsigned kMaxJobs = 1024;
constexpr double kMaxBudgetSeconds = 86400;

bool ReadSeconds(std::string text, std::chrono::milliseconds& budget)
{
    std::replace(text.begin(), text.end(), ',', '.');
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)
        || v < 0.001 || v > kMaxBudgetSeconds)
        return false;
    budget = std::chrono::milliseconds(std::llround(v * 1000));
    return true;
}

std::string Refusal(const std::string& what)
{
    return "Ligne illisible : " + what;
}

void Interrupted(std::ostream& err, const batch::Summary& s)
{
    err << "vindrel-analyse : interrompu, " << s.written
        << " lignes écrites ; la première ligne sans réponse est la ligne " << s.firstUnwritten << ".\n";
}

} // namespace

OptionRead ReadScaleOption(
    const std::vector<std::string>& args, size_t& i, ScaleRequest& request, std::string& problem)
{
    const std::string& a = args[i];
    if (a == "--batch") {
        request.batch = true;
        return OptionRead::Read;
    }
    if (a != "--jobs" && a != "--budget" && a != "--sections") return OptionRead::NotMine;
    if (i + 1 >= args.size()) {
        problem = a + " attend une valeur.";
        return OptionRead::Bad;
    }
    const std::string& v = args[++i];
    if (a == "--jobs") {
        unsigned n = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
        if (ec != std::errc() || end != v.data() + v.size() || n < 1 || n > kMaxJobs) {
            problem
                = "--jobs attend un nombre de fils de calcul entre 1 et " + std::to_string(kMaxJobs) + ".";
            return OptionRead::Bad;
        }
        request.jobs = n;
        request.jobsGiven = true;
    } else if (a == "--budget") {
        if (!ReadSeconds(v, request.budget)) {
            problem = "--budget attend un temps en secondes, par exemple 10 ou 2,5 (au plus 86400).";
            return OptionRead::Bad;
        }
    } else if (v == "points") {
        request.pointsOnly = true;
    } else {
        problem = "--sections attend points (les points fixes seuls).";
        return OptionRead::Bad;
    }
    return OptionRead::Read;
}

bool CheckScaleRequest(const ScaleRequest& request, bool portrait, size_t words, std::string& problem)
{
    if (!request.batch && request.jobsGiven) {
        problem = "--jobs ne sert qu'avec --batch.";
        return false;
    }
    if (request.batch && portrait) {
        problem = "--batch et --portrait ne vont pas ensemble.";
        return false;
    }
    if (request.batch && words > 1) {
        problem = "--batch lit un seul fichier (ou l'entrée standard), un système par ligne.";
        return false;
    }
    return true;
}

Json BatchLineObject(
    std::uint64_t line, const std::string& text, bool tooLong, const AnalyseSettings& settings, bool& ok)
{
    AnalyseSettings mine = settings;
    std::vector<std::string> words;
    std::string problem;
    const size_t first = text.find_first_not_of(" \t");
    if (tooLong) {
        problem = "Ligne trop longue (plus de " + std::to_string(batch::kMaxLineBytes) + " octets).";
    } else if (first != std::string::npos && text[first] == '{') {
        JsonStringMembers members;
        if (!ReadJsonStringObject(text, members, problem)) {
            problem = Refusal(problem);
        } else {
            std::string p, q;
            bool hasP = false, hasQ = false;
            for (const auto& [key, value] : members) {
                if (key == "P") {
                    p = value;
                    hasP = true;
                } else if (key == "Q") {
                    q = value;
                    hasQ = true;
                } else if (key == "vars") {
                    mine.vars = value;
                } else {
                    problem = Refusal("l'objet ne connaît que les clés P, Q et vars.");
                    break;
                }
            }
            if (problem.empty() && (!hasP || !hasQ)) problem = Refusal("l'objet doit donner P et Q.");
            words = { p, q };
        }
    } else {
        const size_t tab = text.find('\t');
        if (tab == std::string::npos || text.find('\t', tab + 1) != std::string::npos)
            problem
                = Refusal("attendu P, une tabulation, Q, ou un objet JSON {\"P\": \"...\", \"Q\": \"...\"}.");
        else
            words = { text.substr(0, tab), text.substr(tab + 1) };
    }
    Json object;
    if (problem.empty()) {
        int status = kAnalyseOk;
        object = AnalyseJsonObject(words, mine, status);
        ok = status == kAnalyseOk;
    } else {
        object = AnalyseErrorObject(problem, mine);
        ok = false;
    }
    object.set("line", static_cast<long>(line));
    return object;
}

int RunBatchCommand(const ScaleRequest& request, const std::string& file, const AnalyseSettings& settings,
    std::ostream& out, std::ostream& err)
{
    int fd = 0;
    if (!file.empty() && file != "-") {
        fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            err << "vindrel-analyse : impossible de lire le fichier " << file << ".\n";
            return kAnalyseInputError;
        }
    }
    struct stat st { };
    const std::uint64_t size
        = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    batch::FdLineSource source(fd, size);
    batch::CatchInterrupt interrupt;
    batch::RunOptions options;
    options.jobs = request.jobs ? request.jobs : std::max(1u, std::thread::hardware_concurrency());
    options.progress = ::isatty(2) ? &err : nullptr;
    options.stop = &interrupt.flag();
    // A system stuck in one long step that does not look at the clock.
    options.watchdog = request.budget + kWatchdogMargin;
    options.overdue = [settings](std::uint64_t line) {
        Json object = AnalyseErrorObject(TimeoutMessage(settings.budget), settings);
        object.set("line", static_cast<long>(line));
        return batch::Answer { object.dump(), false };
    };
    const batch::Summary s = batch::Run(
        source, out,
        [settings](std::uint64_t line, const std::string& text, bool tooLong) {
            batch::Answer a;
            a.text = BatchLineObject(line, text, tooLong, settings, a.ok).dump();
            return a;
        },
        options);
    if (fd > 0) ::close(fd);
    const int status = s.interrupted ? kAnalyseInterrupted : s.failed == 0 ? kAnalyseOk : kAnalyseInputError;
    if (s.abandoned > 0) {
        // Workers left behind may still be inside a long step: every line
        // is written, so the process ends without waiting for them.
        if (s.interrupted) Interrupted(err, s);
        out.flush();
        err.flush();
        std::fflush(nullptr);
        std::_Exit(status);
    }
    if (s.interrupted) Interrupted(err, s);
    return status;
}

} // namespace vindrel::engine
