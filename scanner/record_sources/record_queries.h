#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The SQL texts of the record source windows. They are sent as written; the embedded
// database gets its dialect from the connection.

// New records of table Spectra after `last_processed_record`, grouped by load and
// measurement point, result names descending. The where phrase is raw SQL placed directly
// behind the number, so it starts with a blank and a conjunction.
QString spectra_record_query(std::int64_t last_processed_record, const QString& where_phrase);
// The same records in Id order, so a pass that stops after some of them can go on after
// the last one it handled without skipping any.
QString spectra_record_query_by_id(std::int64_t last_processed_record, const QString& where_phrase);
// The same record query (by load and point, or by Id when `by_id`) restricted to the Ids
// `id_condition` admits, an SQL condition such as "(Id between 5 and 9 or Id=12)" that
// stands where the other texts have "Id>N": records committed late are asked for again.
QString spectra_record_query_in(const QString& id_condition, const QString& where_phrase,
                                bool by_id);
QString spectra_newest_record_query();
QString spectra_show_all_query();
QString spectra_show_last_100_query();

// New sheet-resistance records of table ScalarResults after `last_processed_record`,
// newest first.
QString scalar_results_record_query(std::int64_t last_processed_record, const QString& keyphrase);
// The same restricted to the Ids `id_condition` admits (see spectra_record_query_in).
QString scalar_results_record_query_in(const QString& id_condition, const QString& keyphrase);
QString scalar_results_newest_record_query();
// The newest Id above `index` that the record query would read, in column "Id" (null when
// there is none): the Id condition keeps the work to the records not read yet.
QString spectra_newest_id_query(std::int64_t index, const QString& where_phrase);
QString scalar_results_newest_id_query(std::int64_t index, const QString& keyphrase);
QString scalar_results_show_all_query(const QString& keyphrase);

// The spectra of one historic pane, by its load id (apostrophes doubled) and its
// production date, by measurement point and result names descending.
QString rerun_pane_query(const QString& load_id, int year, int month, int day);

// The wavelength grid of one spectrum record, by its result id and run id as texts.
QString wavelength_query(const QString& result_id, const QString& run_id);

// The text as the content of an SQL string literal: every apostrophe doubled.
QString sql_literal_content(const QString& text);

// What an answer in the start-index box makes the last processed record: the record with
// the answered Id is the first to be processed. Nothing unless the answer is a whole
// number greater than 0.
std::optional<std::int64_t> start_index_answer(const QString& answer);
