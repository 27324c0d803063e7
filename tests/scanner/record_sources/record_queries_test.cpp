#include "scanner/record_sources/record_queries.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <vector>

namespace {

TEST(record_queries, texts_are_sent_exactly_as_written) {
    struct text_case {
        const char* what;
        QString actual;
        QString expected;
    };
    const std::vector<text_case> cases = {
        {"Q/P record query after 1200", spectra_record_query(1200, {}),
         "Select * from Spectra where Id>1200 order by loadId,MeasPointIndex,resultname desc"},
        {"where phrase directly behind the number",
         spectra_record_query(7, " and MeasPointIndex<3"),
         "Select * from Spectra where Id>7 and MeasPointIndex<3 order by "
         "loadId,MeasPointIndex,resultname desc"},
        {"where phrase stays raw SQL", spectra_record_query(0, " and LoadId='A'"),
         "Select * from Spectra where Id>0 and LoadId='A' order by "
         "loadId,MeasPointIndex,resultname desc"},
        {"P records in Id order", spectra_record_query_by_id(12, " and LoadId='A'"),
         "Select * from Spectra where Id>12 and LoadId='A' order by Id"},
        {"late Q records by load and point",
         spectra_record_query_in("(Id between 5 and 9 or Id=12)", " and LoadId='A'", false),
         "Select * from Spectra where (Id between 5 and 9 or Id=12) and LoadId='A' order by "
         "loadId,MeasPointIndex,resultname desc"},
        {"late P records in Id order", spectra_record_query_in("(Id=3)", {}, true),
         "Select * from Spectra where (Id=3) order by Id"},
        {"beyond 32 bits", spectra_record_query(4294967296LL, {}),
         "Select * from Spectra where Id>4294967296 order by loadId,MeasPointIndex,resultname "
         "desc"},
        {"wavelength grid of a record", wavelength_query("{AB-1}", "17"),
         "select * from WavelengtsArrays\n\rwhere ResultID='{AB-1}'\n\rand Run_ID='17'"},
        {"wavelength grid, apostrophes doubled", wavelength_query("x' or '1'='1", "1'"),
         "select * from WavelengtsArrays\n\rwhere ResultID='x'' or ''1''=''1'\n\rand "
         "Run_ID='1'''"},
        {"re-run of a pane", rerun_pane_query("L0815", 2016, 5, 16),
         "select * from Spectra \n\rwhere LoadID='L0815'\n\rand year(timestamp)=2016\n\rand "
         "month(timestamp)=5\n\rand day(timestamp)=16\n\rorder by MeasPointIndex,resultname desc"},
        {"re-run, apostrophe doubled", rerun_pane_query("O'Brien", 2024, 12, 1),
         "select * from Spectra \n\rwhere LoadID='O''Brien'\n\rand year(timestamp)=2024\n\rand "
         "month(timestamp)=12\n\rand day(timestamp)=1\n\rorder by MeasPointIndex,resultname desc"},
        {"negative index", spectra_record_query(-1, {}),
         "Select * from Spectra where Id>-1 order by loadId,MeasPointIndex,resultname desc"},
        {"sheet-resistance record query after 500",
         scalar_results_record_query(500, "Sheet resistance"),
         "Select * from ScalarResults where Id>500 and resultname = 'Sheet resistance' order "
         "by ID desc"},
        {"key phrase apostrophe doubled", scalar_results_record_query(500, "Operator's R"),
         "Select * from ScalarResults where Id>500 and resultname = 'Operator''s R' order by "
         "ID desc"},
        {"late sheet-resistance records",
         scalar_results_record_query_in("(Id between 5 and 9)", "Operator's R"),
         "Select * from ScalarResults where (Id between 5 and 9) and resultname = 'Operator''s R' "
         "order by ID desc"},
        {"sheet-resistance show all", scalar_results_show_all_query("Sheet Resistance"),
         "Select * from ScalarResults where resultname= 'Sheet Resistance' order by ID desc"},
        {"show all with apostrophes", scalar_results_show_all_query("a''b'"),
         "Select * from ScalarResults where resultname= 'a''''b''' order by ID desc"},
        {"Q/P newest record", spectra_newest_record_query(),
         "select top 1 * from spectra order by Id desc"},
        {"sheet-resistance newest record", scalar_results_newest_record_query(),
         "select top 1 * from ScalarResults order by Id desc"},
        {"show all", spectra_show_all_query(), "Select * from Spectra"},
        {"show last 100", spectra_show_last_100_query(),
         "Select top 100 * from Spectra order by id desc"},
    };
    for (const text_case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.actual, c.expected);
    }
}

TEST(record_queries, start_index_answers) {
    struct answer_case {
        QString answer;
        std::optional<std::int64_t> last_processed_record;
    };
    const std::vector<answer_case> cases = {
        {"1", 0},            // the whole table at the next pass
        {"1201", 1200},      //
        {" 42", 41},         // leading blanks are allowed by the strict conversion
        {"0", std::nullopt}, // not greater than 0
        {"-5", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"12 ", std::nullopt},
        {"1.5", std::nullopt},
        {"2147483648", 2147483647}, // identity columns may be bigint
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max() - 1},
        {"9223372036854775808", std::nullopt}, // beyond 64 bits
    };
    for (const answer_case& c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        EXPECT_EQ(start_index_answer(c.answer), c.last_processed_record);
    }
}

} // namespace
