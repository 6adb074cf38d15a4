// Persistence benchmark: a generated definition of more than 20 MB of XML.
// FromXML against expat's bare parse of the same text (no handlers, no
// tree: the floor of a conforming reader), a definition whose one attribute
// holds 200 MB, ToXML against
// pugixml's save of the parsed document, the dirty check against ToXML, and
// SaveXPDFile + LoadXPDFile with 50 resources of 200 KB against Info-ZIP's
// zip + unzip on the same files, and the refusal of two zip bombs (a 1.5 MB
// package whose one resource inflates to 1.5 GB, declaring it or lying about
// it) against loading an ordinary package of the same file size, with the
// peak memory of each. Prints ratios (ours / peer) and targets.
//
// Usage: definition_bench [scale]   (scale 4, the default, gives about 21 MB of XML)
//        definition_bench --xml [scale]   (the XML rows alone: read, write, dirty check, load memory)
//        definition_bench --huge-row      (the 200 MB attribute row alone)
//        definition_bench --bombs   (the bomb rows alone)
// Each row ends with the load average of the machine when it was printed.
#include <expat.h>
#include <pugixml.hpp>
#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>
#include <string_view>
#include <tuple>

#include "BenchSupport.h"
#include <orvanespt/model/Orvane.h>
#include <orvanespt/platform/Messages.h>

using namespace orvane;
namespace fs = std::filesystem;

namespace {

std::shared_ptr<eRSource> MakeSource(int id, std::mt19937& rng, int depth) {
    auto rs = std::make_shared<eRSource>();
    rs->Name = "rs" + std::to_string(id) + "_" + std::to_string(depth);
    rs->SQLCommand = "SELECT c.Id, c.Nombre, p.Total FROM Clientes c INNER JOIN Pedidos p ON p.IdCliente = c.Id\r\n"
                     "WHERE c.Id = @IdCliente AND p.Fecha >= @Desde AND p.Estado <> 'anulado' -- " +
                     std::to_string(rng());
    rs->TypeofCommand = "1";
    rs->CursorLocation = "3";
    rs->Filter = "Total > 100";
    rs->Order = "Nombre ASC";
    rs->eFieldNametoParameters = "Id";
    rs->idParameterLinked = "IdCliente";
    if (depth < 2) rs->eRSources->Add(MakeSource(id, rng, depth + 1));
    return rs;
}

std::shared_ptr<Orvane> MakeDefinition(int scale) {
    std::mt19937 rng(42);
    auto rpt = std::make_shared<Orvane>();
    rpt->Name = "Benchmark";
    rpt->Code = "Sub Main()\r\n  ' código de ejemplo <con> \"comillas\" & más\r\nEnd Sub";
    for (int c = 0; c < 20; ++c) {
        auto cnn = std::make_shared<eConnection>();
        cnn->Name = "cnn" + std::to_string(c);
        cnn->cnnString = "Provider=SQLite;Data Source=/tmp/db" + std::to_string(c) + ".db";
        rpt->AddConnection(cnn);
        for (int r = 0; r < 100 * scale; ++r) cnn->eRSources->Add(MakeSource(c * 100000 + r, rng, 0));
    }
    for (int p = 0; p < 200; ++p) {
        auto prm = std::make_shared<eParameter>();
        prm->Name = "p" + std::to_string(p);
        prm->eType(p % 2 ? "adDate|dd/mm/yyyy" : "adVarChar");
        prm->Predef = "valor " + std::to_string(p);
        rpt->eParameters->Add(prm);
    }
    const std::string b64(600, 'Q');
    for (int d = 0; d < 40 * scale; ++d) {
        auto dlg = std::make_shared<eDialog>();
        dlg->Name = "dlg" + std::to_string(d);
        dlg->Title = "Parámetros del informe";
        dlg->Width = 4500.5f;
        dlg->Height = 3000.25f;
        for (int k = 0; k < 60; ++k) {
            auto ctl = std::make_shared<eControl>();
            ctl->Name = "Control" + std::to_string(k);
            ctl->Class = "eControls.eTextBox";
            ctl->Top = 120.5f * static_cast<float>(k);
            ctl->Left = 240;
            ctl->Width = 1500;
            ctl->Height = 315;
            ctl->Visible = true;
            ctl->Enable = true;
            ctl->BindObject = "p" + std::to_string(k);
            ctl->ExtProperty("Caption")->Value = "Etiqueta 'número' " + std::to_string(k);
            ctl->ExtProperty("FontName")->Value = "Arial";
            ctl->ExtProperty("FontBold")->Value = k % 2 == 0;
            ctl->ExtData("Tables")->DatB64 = b64;
            dlg->eControls->Add(ctl);
        }
        rpt->eDialogs->Add(dlg);
    }
    return rpt;
}

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

int Run(const std::string& cmd) { return std::system(cmd.c_str()); }

// The one-minute load average, printed after each row: the figures of a
// loaded machine are slow and spread.
void Load() {
    double avg[1] = {0};
    if (getloadavg(avg, 1) == 1) std::printf("  (load average %.2f)\n", avg[0]);
}

// With takeAttributes, an empty start handler: expat then gathers and
// normalizes every attribute value, which it skips when no one asks.
void ExpatParse(const std::string& xml, bool takeAttributes = false) {
    XML_Parser p = XML_ParserCreate("UTF-8");
    if (takeAttributes) XML_SetStartElementHandler(p, [](void*, const XML_Char*, const XML_Char**) {});
    XML_Parse(p, xml.data(), static_cast<int>(xml.size()), XML_TRUE);
    XML_ParserFree(p);
}

void PersistenceRows(int scale) {
    auto rpt = MakeDefinition(scale);
    const std::string xml = rpt->ToXML();
    std::printf("definition XML: %.1f MB\n\n", static_cast<double>(xml.size()) / 1e6);

    // Each run reads into a fresh definition; the one read before is let go
    // outside the timed part.
    std::unique_ptr<Orvane> other;
    auto fromXml = bench::Measure([&] { other->FromXML(xml); }, 5, [&] {
        other.reset();
        other = std::make_unique<Orvane>();
    });
    other.reset();
    auto expatParse = bench::Measure([&] { ExpatParse(xml); });
    bench::PrintRow("FromXML / expat bare parse", fromXml, expatParse, 1.5);
    Load();

    auto toXml = bench::Measure([&] { volatile std::size_t n = rpt->ToXML().size(); (void)n; });
    pugi::xml_document doc;
    doc.load_buffer(xml.data(), xml.size());
    auto pugiSave = bench::Measure([&] {
        StringWriter w;
        w.out.reserve(xml.size() + xml.size() / 8);
        doc.save(w, "", pugi::format_raw);
    });
    bench::PrintRow("ToXML / pugixml save", toXml, pugiSave, 1.0);
    Load();

    auto dirty = bench::Measure([&] { volatile bool d = rpt->IsDirty(); (void)d; });
    std::printf("%-34s %8.1f ms (first %8.1f), %.2f x ToXML alone (digest share %.0f%%)\n", "IsDirty", dirty.warm * 1e3,
                dirty.first * 1e3, dirty.warm / toXml.warm, 100.0 * (dirty.warm - toXml.warm) / dirty.warm);
    Load();

    const fs::path tmp = fs::temp_directory_path() / ("orvane-bench-" + std::to_string(getpid()));
    fs::create_directories(tmp);
    const std::string pkg = (tmp / "big.xpd").string();
    rpt->SaveXPDFile(pkg);
    const long peak = bench::PeakMemoryOfRun("--load '" + pkg + "'");
    const long base = bench::PeakMemoryOfRun("--idle");
    std::printf("%-34s %.1f MB peak, %.1f MB above the same program idle, for %.1f MB of XML: %.1f x the text\n",
                "LoadXPDFile memory", static_cast<double>(peak) / 1e6, static_cast<double>(peak - base) / 1e6,
                static_cast<double>(xml.size()) / 1e6, static_cast<double>(peak - base) / static_cast<double>(xml.size()));
    Load();
    fs::remove_all(tmp);
}

// A definition whose one attribute (a query) holds 200 MB.
std::string HugeAttributeText() {
    Orvane rpt;
    auto cnn = std::make_shared<eConnection>();
    cnn->Name = "c";
    rpt.AddConnection(cnn);
    auto rs = std::make_shared<eRSource>();
    rs->SQLCommand.assign(200u * 1000 * 1000, 'x');
    cnn->eRSources->Add(rs);
    return rpt.ToXML();
}

void HugeAttributeRow() {
    const std::string xml = HugeAttributeText();
    std::unique_ptr<Orvane> other;
    auto read = bench::Measure([&] { other->FromXML(xml); }, 3, [&] {
        other.reset();
        other = std::make_unique<Orvane>();
    });
    other.reset();
    auto expat = bench::Measure([&] { ExpatParse(xml); }, 3);
    auto expatAttributes = bench::Measure([&] { ExpatParse(xml, true); }, 3);
    const double mb = static_cast<double>(xml.size()) / 1e6;
    std::printf("%-34s %8.1f MB/s (target >= 100); expat's bare parse %.1f MB/s (ratio %.2f), expat handing the "
                "attributes to an empty handler %.1f MB/s (ratio %.2f)\n",
                "FromXML, one 200 MB attribute", mb / read.warm, mb / expat.warm, read.warm / expat.warm,
                mb / expatAttributes.warm, read.warm / expatAttributes.warm);
    const long peak = bench::PeakMemoryOfRun("--huge");
    const long base = bench::PeakMemoryOfRun("--idle");
    std::printf("  %.1f MB peak above idle for %.1f MB of XML\n", static_cast<double>(peak - base) / 1e6, mb);
    Load();
}

void PackageRow() {
    const fs::path tmp = fs::temp_directory_path() / ("orvane-bench-pkg-" + std::to_string(getpid()));
    fs::create_directories(tmp / "files");
    fs::create_directories(tmp / "out");
    auto rpt = std::make_shared<Orvane>();
    rpt->Name = "Paquete";
    std::mt19937 rng(7);
    const char* words[] = {"ventas ", "cliente ", "total ", "fecha ", "importe ", "pedido ", "línea ", "12345 "};
    for (int i = 0; i < 50; ++i) {
        std::string text;
        text.reserve(200 * 1024);
        while (text.size() < 200 * 1024) text += words[rng() % 8];
        auto r = rpt->NewResData("res" + std::to_string(i));
        r->TextData = text;
        r->ResType = rtText;
        std::ofstream(tmp / "files" / (r->Name + ".txt"), std::ios::binary) << text;
    }
    std::ofstream(tmp / "files" / "source.xml", std::ios::binary) << rpt->ToXML();
    const std::string pkg = (tmp / "ours.xpd").string();

    auto ours = bench::Measure(
        [&] {
            fs::remove(pkg);
            rpt->SaveXPDFile(pkg);
            Orvane other;
            other.LoadXPDFile(pkg);
        },
        3);
    const std::string zipCmd = "cd '" + (tmp / "files").string() + "' && rm -f ../peer.zip && zip -q -j ../peer.zip * && unzip -q -o ../peer.zip -d ../out";
    auto peer = bench::Measure([&] { Run(zipCmd); }, 3);
    bench::PrintRow("SaveXPDFile+LoadXPDFile / zip+unzip", ours, peer, 1.0);
    Load();
    std::printf("  package %.1f MB, Info-ZIP archive %.1f MB\n", static_cast<double>(fs::file_size(pkg)) / 1e6,
                static_cast<double>(fs::file_size(tmp / "peer.zip")) / 1e6);
    fs::remove_all(tmp);
}

// A source of `size` zero bytes for libzip, made as it is read.
struct Zeros {
    zip_uint64_t size = 0;
    zip_uint64_t pos = 0;
    zip_error_t error{};
};

zip_int64_t ZeroSource(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* z = static_cast<Zeros*>(userdata);
    switch (cmd) {
        case ZIP_SOURCE_OPEN:
            z->pos = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const zip_uint64_t n = std::min(len, z->size - z->pos);
            std::memset(data, 0, n);
            z->pos += n;
            return static_cast<zip_int64_t>(n);
        }
        case ZIP_SOURCE_STAT: {
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->size = z->size;
            st->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&z->error, data, len);
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&z->error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
}

// A package whose resource "fondo" is `bytes` zeros, deflated.
void MakeBomb(const std::string& path, zip_uint64_t bytes) {
    Orvane rpt;
    rpt.Name = "Bomba";
    rpt.NewResData("fondo")->ResType = rtText;
    const std::string source = rpt.ToXML();
    const std::string index = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<eResDataCol Count=\"1\" >"
                              "<eResData Name=\"fondo\" Type=\"2\" /></eResDataCol>";
    int err = 0;
    zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    zip_file_add(za, "source.xml", zip_source_buffer(za, source.data(), source.size(), 0), 0);
    zip_file_add(za, "resdata.xml", zip_source_buffer(za, index.data(), index.size(), 0), 0);
    Zeros zeros{bytes};
    const zip_int64_t i = zip_file_add(za, "fondo.txt", zip_source_function(za, ZeroSource, &zeros), 0);
    zip_set_file_compression(za, static_cast<zip_uint64_t>(i), ZIP_CM_DEFLATE, 9);
    if (zip_close(za) != 0) std::abort();
}

// Makes the entry declare `size` bytes in its local header and the central
// directory, whatever it holds.
void SetDeclaredSize(const std::string& path, const std::string& entry, std::uint32_t size) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    for (auto [sig, sizeAt, nameAt] : {std::tuple{std::string_view("PK\x03\x04", 4), 22, 30},
                                       std::tuple{std::string_view("PK\x01\x02", 4), 24, 46}})
        for (auto at = bytes.find(sig); at != std::string::npos; at = bytes.find(sig, at + 4))
            if (bytes.compare(at + nameAt, entry.size(), entry) == 0)
                for (int k = 0; k < 4; ++k) bytes[at + sizeAt + k] = static_cast<char>((size >> (8 * k)) & 0xFF);
    std::ofstream(path, std::ios::binary) << bytes;
}

void BombRows() {
    const fs::path tmp = fs::temp_directory_path() / ("orvane-bench-bomb-" + std::to_string(getpid()));
    fs::create_directories(tmp);
    const std::string declared = (tmp / "declared.xpd").string();
    const std::string lying = (tmp / "lying.xpd").string();
    const std::string ordinary = (tmp / "ordinary.xpd").string();
    MakeBomb(declared, 1'500'000'000ull);
    fs::copy_file(declared, lying);
    SetDeclaredSize(lying, "fondo.txt", 1000);

    // The peer: an ordinary package of the same file size, its resource
    // bytes that do not compress.
    auto rpt = std::make_shared<Orvane>();
    std::mt19937 rng(3);
    std::string noise(static_cast<std::size_t>(fs::file_size(declared)), '\0');
    for (char& c : noise) c = static_cast<char>(rng());
    rpt->NewResData("fondo")->TextData = noise;
    rpt->SaveXPDFile(ordinary);
    std::printf("\nbomb: %.2f MB package, one resource inflating to 1.5 GB; ordinary package %.2f MB\n",
                static_cast<double>(fs::file_size(declared)) / 1e6, static_cast<double>(fs::file_size(ordinary)) / 1e6);

    platform::ScopedMessageSink quiet(std::make_shared<platform::RecordingMessages>());
    const auto load = [](const std::string& pkg) {
        return bench::Measure([&] {
            Orvane other;
            other.LoadXPDFile(pkg);
        }, 3);
    };
    const bench::Timing peer = load(ordinary);
    const long base = bench::PeakMemoryOfRun("--idle");
    const long peerPeak = bench::PeakMemoryOfRun("--try-load '" + ordinary + "'");
    for (const auto& [what, pkg] : {std::pair{"bomb declaring 1.5 GB / ordinary", declared},
                                    std::pair{"bomb lying (1000 B) / ordinary", lying}}) {
        const bench::Timing ours = load(pkg);
        bench::PrintRow(what, ours, peer, 1.0, true);
        Load();
        const long peak = bench::PeakMemoryOfRun("--try-load '" + pkg + "'");
        const double mb = static_cast<double>(peak - base) / 1e6;
        std::printf("  refused in %.1f ms cold (target < 1000), peak %.1f MB above idle (target < 64; ordinary %.1f)"
                    "  %s\n",
                    ours.first * 1e3, mb, static_cast<double>(peerPeak - base) / 1e6,
                    ours.first < 1.0 && mb < 64 ? "met" : "NOT MET");
    }
    fs::remove_all(tmp);
}

}  // namespace

int main(int argc, char** argv) {
    // Child runs for the memory figure: load a package, or do nothing.
    if (argc > 1 && std::string(argv[1]) == "--idle") {
        std::printf("%ld\n", bench::OwnPeakMemory());
        return 0;
    }
    if (argc > 2 && std::string(argv[1]) == "--load") {
        auto other = std::make_shared<Orvane>();
        const bool ok = other->LoadXPDFile(argv[2]);
        std::printf("%ld\n", ok ? bench::OwnPeakMemory() : 0L);
        return ok ? 0 : 1;
    }
    if (argc > 1 && std::string(argv[1]) == "--huge") {
        const std::string xml = HugeAttributeText();
        Orvane other;
        const bool ok = other.FromXML(xml);
        std::printf("%ld\n", ok ? bench::OwnPeakMemory() : 0L);
        return ok ? 0 : 1;
    }
    if (argc > 2 && std::string(argv[1]) == "--try-load") {
        platform::ScopedMessageSink quiet(std::make_shared<platform::RecordingMessages>());
        Orvane other;
        other.LoadXPDFile(argv[2]);
        std::printf("%ld\n", bench::OwnPeakMemory());
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "--bombs") {
        BombRows();
        return 0;
    }
    std::printf("machine: %s\n", bench::MachineLine().c_str());
    if (argc > 1 && std::string(argv[1]) == "--huge-row") {
        HugeAttributeRow();
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "--xml") {
        PersistenceRows(argc > 2 ? std::max(1, std::atoi(argv[2])) : 4);
        return 0;
    }
    const int scale = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4;
    PersistenceRows(scale);
    HugeAttributeRow();
    PackageRow();
    BombRows();
    return 0;
}
