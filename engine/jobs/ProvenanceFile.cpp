#include "jobs/ProvenanceFile.h"

#include <cstdio>

#include "Version.h"
#include "io/FluxProvenance.h"

namespace kelvara {

std::filesystem::path ProvenancePathOf(const std::filesystem::path& results) {
    std::string name = results.filename().string();
    const std::string csv = ".csv";
    if (name.size() >= csv.size() && name.compare(name.size() - csv.size(), csv.size(), csv) == 0) {
        name.resize(name.size() - csv.size());
    }
    return results.parent_path() / (name + ".json");
}

bool WriteProvenance(const std::filesystem::path& target, const ProvenanceInputs& inputs, TemporaryFile& file) {
    FluxProvenance provenance;
    provenance.programVersion = KELVARA_VERSION;
    provenance.site = inputs.settings.site;
    provenance.fs = inputs.settings.fs;
    provenance.fsFromTimeStamps = inputs.fsFromTimeStamps;
    provenance.rotation = inputs.rotation;
    provenance.limits = inputs.limits;
    provenance.columns = ColumnsText(inputs.input);
    provenance.statusRule = inputs.input.goodStatus.Text();
    provenance.inputFiles = inputs.files;
    const std::string json = FluxProvenanceJson(provenance);
    if (!file.Create(target)) return false;
    const bool written = std::fwrite(json.data(), 1, json.size(), file.Stream()) == json.size();
    const bool closed = file.Close();
    return written && closed;
}

}  // namespace kelvara
