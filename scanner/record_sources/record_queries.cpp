#include "scanner/record_sources/record_queries.h"

#include "shared/basics/number_text.h"

#include <QStringList>

namespace {

QString id_above(std::int64_t last_processed_record) {
    return QStringLiteral("Id>") + QString::number(last_processed_record);
}

QString spectra_query(const QString& id_condition, const QString& where_phrase, bool by_id) {
    return QStringLiteral("Select * from Spectra where ") + id_condition + where_phrase +
           (by_id ? QStringLiteral(" order by Id")
                  : QStringLiteral(" order by loadId,MeasPointIndex,resultname desc"));
}

} // namespace

QString spectra_record_query(std::int64_t last_processed_record, const QString& where_phrase) {
    return spectra_query(id_above(last_processed_record), where_phrase, false);
}

QString spectra_record_query_by_id(std::int64_t last_processed_record,
                                   const QString& where_phrase) {
    return spectra_query(id_above(last_processed_record), where_phrase, true);
}

QString spectra_record_query_in(const QString& id_condition, const QString& where_phrase,
                                bool by_id) {
    return spectra_query(id_condition, where_phrase, by_id);
}

QString spectra_newest_record_query() {
    return QStringLiteral("select top 1 * from spectra order by Id desc");
}

QString spectra_newest_id_query(std::int64_t index, const QString& where_phrase) {
    return QStringLiteral("Select max(Id) as Id from Spectra where ") + id_above(index) +
           where_phrase;
}

QString scalar_results_newest_id_query(std::int64_t index, const QString& keyphrase) {
    return QStringLiteral("Select max(Id) as Id from ScalarResults where ") + id_above(index) +
           QStringLiteral(" and resultname = '") + sql_literal_content(keyphrase) + u'\'';
}

QString spectra_show_all_query() {
    return QStringLiteral("Select * from Spectra");
}

QString spectra_show_last_100_query() {
    return QStringLiteral("Select top 100 * from Spectra order by id desc");
}

QString scalar_results_record_query(std::int64_t last_processed_record, const QString& keyphrase) {
    return scalar_results_record_query_in(id_above(last_processed_record), keyphrase);
}

QString scalar_results_record_query_in(const QString& id_condition, const QString& keyphrase) {
    return QStringLiteral("Select * from ScalarResults where ") + id_condition +
           QStringLiteral(" and resultname = '") + sql_literal_content(keyphrase) +
           QStringLiteral("' order by ID desc");
}

QString scalar_results_newest_record_query() {
    return QStringLiteral("select top 1 * from ScalarResults order by Id desc");
}

QString scalar_results_show_all_query(const QString& keyphrase) {
    return QStringLiteral("Select * from ScalarResults where resultname= '") +
           sql_literal_content(keyphrase) + QStringLiteral("' order by ID desc");
}

QString rerun_pane_query(const QString& load_id, int year, int month, int day) {
    return QStringList{QStringLiteral("select * from Spectra "),
                       QStringLiteral("where LoadID='") + sql_literal_content(load_id) + u'\'',
                       QStringLiteral("and year(timestamp)=") + QString::number(year),
                       QStringLiteral("and month(timestamp)=") + QString::number(month),
                       QStringLiteral("and day(timestamp)=") + QString::number(day),
                       QStringLiteral("order by MeasPointIndex,resultname desc")}
        .join(QStringLiteral("\n\r"));
}

QString wavelength_query(const QString& result_id, const QString& run_id) {
    // The texts come from the database: quoted, never spliced in as SQL.
    return QStringLiteral("select * from WavelengtsArrays\n\rwhere ResultID='") +
           sql_literal_content(result_id) + QStringLiteral("'\n\rand Run_ID='") +
           sql_literal_content(run_id) + QStringLiteral("'");
}

QString sql_literal_content(const QString& text) {
    QString doubled = text;
    return doubled.replace(u'\'', QStringLiteral("''"));
}

std::optional<std::int64_t> start_index_answer(const QString& answer) {
    std::int64_t index = 0;
    if (!text_to_integer64(answer, index) || index <= 0)
        return std::nullopt;
    return index - 1;
}
