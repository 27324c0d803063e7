#include "scanner/bridge/pass_engine.h"
#include "scanner/bridge/set_aside_file.h"
#include "scanner/bridge/source_progress.h"
#include "shared/basics/sprachen.h"
#include "shared/message_board/message_board.h"
#include "tests/scanner/bridge/memory_source.h"
#include "tests/support/scratch_fixture.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <filesystem>
#include <memory>

namespace {

class error_boxes final : public pass_observer {
public:
    QStringList shown;
    void new_error_kind(const QString& text) override { shown << text; }
};

// The engine on a KALIX installation in the scratch directory, with product DemoCoating,
// channels T, RF and RC, and a clock the test moves.
class pass_engine_test : public scratch_fixture {
protected:
    pass_engine_test()
        : board_(QString(), [this] { return clock_; }),
          engine_(board_, boxes_, [this] { return clock_; }) {
        kalix_ = make_kalix_installation(
            QStringLiteral("kalix"), QStringLiteral("DemoCoating"),
            {QStringLiteral("T"), QStringLiteral("RF"), QStringLiteral("RC")});
        QDir().mkpath(results_folder());
        for (auto [name, channel, nickname] : {std::tuple{"Transmission", "T", "T"},
                                               {"Reflection Film", "RF", "RF"},
                                               {"Sheet Resistance", "RC", "R_sq"}}) {
            add_word(ovix_, name, channel);
            add_word(nicknames_, name, nickname);
        }
        engine_.site.kalix_path = kalix_;
        engine_.site.ovix_assignment = &ovix_;
        engine_.site.spectrum_nickname = &nicknames_;
        engine_.product = QStringLiteral("DemoCoating");
        QDir().mkpath(path(QStringLiteral("logs")));
        engine_.set_aside_file = path(QStringLiteral("logs/records_not_delivered.csv"));
    }

    static void add_word(sprachen& table, const char* name, const char* mapped) {
        table.anzahl_vokabeln_plus();
        table.meine_liste.back()[0] = QString::fromUtf8(name);
        table.meine_liste.back()[1] = QString::fromUtf8(mapped);
    }

    std::unique_ptr<source_progress> progress(source_kind kind) const {
        return std::make_unique<source_progress>(QStringLiteral("Lumotrax Q"), kind,
                                                 path(QStringLiteral("program/index.ini")),
                                                 path(QStringLiteral("program/handled.ini")));
    }

    QString folder(const char* channel) const {
        return kalix_ + QStringLiteral("database/products/DemoCoating/measurements/") +
               QLatin1String(channel) + QStringLiteral("/new");
    }
    QString results_folder() const {
        return kalix_ + QStringLiteral("database/products/DemoCoating/measurements/new_results");
    }
    QStringList files(const QString& where) const {
        return QDir(where).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }
    // Takes every file out of the folder, as KALIX does; returns what was there.
    QStringList take_files(const QString& where) const {
        const QStringList names = QDir(where).entryList(QDir::Files, QDir::Name);
        for (const QString& name : names)
            QFile::remove(where + u'/' + name);
        return names;
    }
    static QString q_name(int point) {
        return QStringLiteral("L1___T___%1___0___0.xy").arg(point * 10);
    }
    QString set_aside_text() const { return QString::fromUtf8(read_file(engine_.set_aside_file)); }
    bool board_has(const QString& text) const {
        for (const QString& line : board_.lines())
            if (line.contains(text))
                return true;
        return false;
    }

    // Q records 1..n of load L1, one measurement point each, 10 mm apart.
    void add_q(memory_source& db, int first, int last) {
        for (int id = first; id <= last; ++id)
            db.add(id, QStringLiteral("L1"), id, id * 10.0);
    }

    QDateTime clock_{QDate(2026, 12, 11), QTime(8, 0)};
    QString kalix_;
    sprachen ovix_;
    sprachen nicknames_;
    board::message_board board_;
    error_boxes boxes_;
    pass_engine engine_;
};

TEST_F(pass_engine_test, a_record_failing_once_is_delivered_at_the_next_pass_and_no_other_again) {
    memory_source db(source_kind::lumotrax_q);
    add_q(db, 1, 5);
    auto q = progress(source_kind::lumotrax_q);
    // A folder in the place of record 3's file.
    QDir().mkpath(folder("T") + u'/' + q_name(3));
    engine_.run_step(*q, db);
    EXPECT_EQ(take_files(folder("T")), (QStringList{q_name(1), q_name(2), q_name(4), q_name(5)}));
    EXPECT_EQ(q->index, 2);

    QDir().rmdir(folder("T") + u'/' + q_name(3));
    engine_.run_step(*q, db);
    EXPECT_EQ(take_files(folder("T")), QStringList{q_name(3)});
    EXPECT_EQ(q->index, 5);
    EXPECT_TRUE(q->handled.empty());
    EXPECT_TRUE(q->set_aside.empty());

    engine_.run_step(*q, db);
    EXPECT_TRUE(files(folder("T")).isEmpty());
}

TEST_F(pass_engine_test, a_record_that_always_fails_is_set_aside_after_three_passes) {
    memory_source db(source_kind::lumotrax_q);
    add_q(db, 1, 4);
    auto q = progress(source_kind::lumotrax_q);
    QDir().mkpath(folder("T") + u'/' + q_name(2));
    QStringList delivered;
    for (int pass = 1; pass <= 3; ++pass) {
        engine_.run_step(*q, db);
        delivered += take_files(folder("T"));
        EXPECT_EQ(q->index, pass < 3 ? 1 : 4) << "pass " << pass;
    }
    EXPECT_EQ(delivered, (QStringList{q_name(1), q_name(3), q_name(4)}));
    EXPECT_TRUE(q->set_aside.contains(2));
    EXPECT_TRUE(
        board_has(QStringLiteral("Record 2 of Lumotrax Q (load L1, Transmission) set aside")));
    const QStringList lines = set_aside_text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], set_aside_header());
    EXPECT_TRUE(
        lines[1].startsWith(QStringLiteral("2026-12-11 08:00:00,Lumotrax Q,2,L1,Transmission,")))
        << lines[1].toStdString();
    // Nothing more happens to it, and the pass asks for nothing below the index.
    engine_.run_step(*q, db);
    EXPECT_TRUE(files(folder("T")) == QStringList{q_name(2)});
    EXPECT_EQ(set_aside_text().count(u'\n'), 2);
}

// Every source sets a record aside at once when its name cannot exist, and delivers the
// others once.
TEST_F(pass_engine_test, a_name_the_file_system_cannot_hold_is_set_aside_at_once) {
    const QString long_load(300, u'x');
    for (source_kind kind :
         {source_kind::lumotrax_q, source_kind::lumotrax_p, source_kind::sheet_resistance}) {
        SCOPED_TRACE(static_cast<int>(kind));
        memory_source db(kind);
        db.add(1, QStringLiteral("L1"), 1, 100, 100);
        db.add(2, long_load, 2, 200, 100);
        db.add(3, QStringLiteral("L1"), 3, 300, 100);
        auto source = progress(kind);
        engine_.run_step(*source, db);
        const QString where =
            kind == source_kind::sheet_resistance ? results_folder() : folder("T");
        EXPECT_EQ(take_files(where).size(), 2);
        EXPECT_EQ(source->index, 3);
        EXPECT_TRUE(source->set_aside.contains(2));
        EXPECT_TRUE(set_aside_text().contains(QStringLiteral(",2,") + long_load + u','));
        QFile::remove(engine_.set_aside_file);
    }
}

TEST_F(pass_engine_test, records_set_aside_are_tried_again_on_the_operators_word) {
    memory_source db(source_kind::lumotrax_q);
    add_q(db, 1, 3);
    db.row(3).fields[QStringLiteral("loadid")] = QString(300, u'y');
    auto q = progress(source_kind::lumotrax_q);
    QDir().mkpath(folder("T") + u'/' + q_name(2));
    for (int pass = 0; pass < 3; ++pass)
        engine_.run_step(*q, db);
    ASSERT_EQ(q->set_aside.lines(), QStringList{QStringLiteral("2-3")});
    QDir().rmdir(folder("T") + u'/' + q_name(2));
    take_files(folder("T"));

    engine_.retry_set_aside(*q);
    engine_.run_step(*q, db);
    EXPECT_EQ(take_files(folder("T")), QStringList{q_name(2)});
    EXPECT_EQ(q->set_aside.lines(), QStringList{QStringLiteral("3")});
    EXPECT_TRUE(
        board_has(QStringLiteral("Record 2 of Lumotrax Q set aside before is delivered now.")));
    EXPECT_TRUE(board_has(QStringLiteral("Record 3 of Lumotrax Q still cannot be delivered")));
    // The list of the file keeps both.
    EXPECT_EQ(set_aside_text().count(u'\n'), 3);
    // A retry is one pass: the next asks for nothing.
    const int asked = db.restricted_queries;
    engine_.run_step(*q, db);
    EXPECT_EQ(db.restricted_queries, asked);
}

TEST_F(pass_engine_test, a_record_committed_late_is_delivered_once) {
    memory_source db(source_kind::lumotrax_q);
    db.add(1, QStringLiteral("L1"), 1, 10);
    db.add(2, QStringLiteral("L1"), 2, 20);
    db.add(4, QStringLiteral("L1"), 4, 40);
    auto q = progress(source_kind::lumotrax_q);
    engine_.run_step(*q, db);
    EXPECT_EQ(q->index, 4);
    EXPECT_EQ(q->all_gaps().lines(), QStringList{QStringLiteral("3")});
    take_files(folder("T"));

    clock_ = clock_.addSecs(5);
    db.add(3, QStringLiteral("L1"), 3, 30);
    engine_.run_step(*q, db);
    EXPECT_EQ(take_files(folder("T")), QStringList{q_name(3)});
    EXPECT_TRUE(board_has(QStringLiteral("Late record 3 delivered.")));
    EXPECT_EQ(q->late_delivered, 1);

    // No gap left, no further question.
    const int asked = db.restricted_queries;
    engine_.run_step(*q, db);
    EXPECT_EQ(db.restricted_queries, asked);
    EXPECT_TRUE(files(folder("T")).isEmpty());
}

TEST_F(pass_engine_test, a_gap_never_filled_is_forgotten_after_fifteen_minutes) {
    memory_source db(source_kind::lumotrax_q);
    db.add(1, QStringLiteral("L1"), 1);
    db.add(3, QStringLiteral("L1"), 3);
    auto q = progress(source_kind::lumotrax_q);
    engine_.run_step(*q, db);
    clock_ = clock_.addSecs(14 * 60);
    engine_.run_step(*q, db);
    EXPECT_EQ(db.restricted_queries, 2);
    clock_ = clock_.addSecs(61);
    engine_.run_step(*q, db);
    engine_.run_step(*q, db);
    EXPECT_EQ(db.restricted_queries, 2);
    EXPECT_TRUE(q->all_gaps().empty());
}

// A server that restarts jumps its identity by a thousand: the Ids between are asked for
// in one range, one question a pass.
TEST_F(pass_engine_test, an_identity_jump_costs_one_question_a_pass) {
    memory_source db(source_kind::lumotrax_p);
    for (int id : {1, 2, 1003, 1004})
        db.add(id, QStringLiteral("L1"), id, id * 20.0);
    auto p = progress(source_kind::lumotrax_p);
    for (int pass = 1; pass <= 3; ++pass) {
        engine_.run_step(*p, db);
        EXPECT_EQ(db.record_queries, pass);
        EXPECT_EQ(db.restricted_queries, pass);
    }
    EXPECT_EQ(db.last_restriction.lines(), QStringList{QStringLiteral("3-1002")});
    EXPECT_EQ(p->index, 1004);
}

TEST_F(pass_engine_test, p_records_come_a_hundred_a_pass_and_equal_ids_stay_together) {
    memory_source db(source_kind::lumotrax_p);
    for (int n = 1; n <= 250; ++n)
        db.add(n <= 100 ? n : n - 1, QStringLiteral("L%1").arg(n), 1, 20.0 * n);
    auto p = progress(source_kind::lumotrax_p);
    engine_.run_step(*p, db);
    // Records 100 and 101 share Id 100: both are read in the first pass.
    EXPECT_EQ(take_files(folder("T")).size(), 101);
    EXPECT_EQ(p->index, 100);
    engine_.run_step(*p, db);
    EXPECT_EQ(take_files(folder("T")).size(), 100);
    engine_.run_step(*p, db);
    EXPECT_EQ(take_files(folder("T")).size(), 49);
    EXPECT_EQ(p->index, 249);
    EXPECT_EQ(db.restricted_queries, 0);
}

// Faults of the environment are waited out: nothing is counted handled, nothing set aside,
// one board line counts the passes, and the records come once it is back.
TEST_F(pass_engine_test, environment_faults_are_waited_out) {
    struct fault {
        const char* what;
        std::function<void(pass_engine_test&, memory_source&)> make;
        std::function<void(pass_engine_test&, memory_source&)> mend;
    };
    const QString tree = path(QStringLiteral("kalix"));
    const QString away = path(QStringLiteral("kalix_away"));
    const QString marker = path(QStringLiteral("kalix/database/current_product/DemoCoating"));
    const std::vector<fault> faults{
        {"tree renamed away", [&](auto&, auto&) { QDir().rename(tree, away); },
         [&](auto&, auto&) { QDir().rename(away, tree); }},
        {"product marker missing",
         [&](auto&, auto&) {
             QFile::remove(marker);
             engine_.product.clear(); // as the window composes it for the pass
         },
         [&](auto&, auto&) {
             write_file(QStringLiteral("kalix/database/current_product/DemoCoating"));
             engine_.product = QStringLiteral("DemoCoating");
         }},
        {"database down", [](auto&, memory_source& db) { db.down = true; },
         [](auto&, memory_source& db) { db.down = false; }},
    };
    for (const fault& f : faults) {
        SCOPED_TRACE(f.what);
        for (source_kind kind : {source_kind::lumotrax_q, source_kind::sheet_resistance}) {
            memory_source db(kind);
            add_q(db, 1, 3);
            auto source = progress(kind);
            const qsizetype boxes_before = boxes_.shown.size();
            f.make(*this, db);
            for (int pass = 0; pass < 4; ++pass)
                engine_.run_step(*source, db);
            EXPECT_EQ(source->index, 0);
            EXPECT_TRUE(source->handled.empty());
            EXPECT_TRUE(source->set_aside.empty());
            EXPECT_TRUE(source->health.failing());
            // One box for the kind of error, not one a pass.
            EXPECT_EQ(boxes_.shown.size(), boxes_before + 1);
            EXPECT_TRUE(board_.lines().last().endsWith(QStringLiteral("(repeated 3 times)")))
                << board_.lines().last().toStdString();
            f.mend(*this, db);
            engine_.run_step(*source, db);
            const QString where =
                kind == source_kind::sheet_resistance ? results_folder() : folder("T");
            EXPECT_EQ(take_files(where).size(), 3);
            EXPECT_EQ(source->index, 3);
            EXPECT_TRUE(board_has(QStringLiteral("Lumotrax Q working again.")));
            board_.clear();
        }
    }
}

TEST_F(pass_engine_test, a_product_switched_between_two_records_of_a_pass_takes_the_next_one) {
    const QString markers = path(QStringLiteral("kalix/database/current_product"));
    const QString other = kalix_ + QStringLiteral("database/products/Other/measurements/T/new");
    QDir().mkpath(other);
    // The marker folder settled long ago (its listing may be kept) or changed a moment ago.
    for (const bool settled : {true, false}) {
        SCOPED_TRACE(settled ? "settled" : "fresh");
        take_files(folder("T"));
        take_files(other);
        QDir(markers).removeRecursively();
        write_file(QStringLiteral("kalix/database/current_product/DemoCoating"));
#ifndef Q_OS_WIN
        // (Windows lists the marker folder for every name: nothing to settle.)
        if (settled)
            std::filesystem::last_write_time(std::filesystem::path(markers.toStdU16String()),
                                             std::filesystem::file_time_type::clock::now() -
                                                 std::chrono::hours(1));
#endif
        memory_source db(source_kind::lumotrax_q);
        add_q(db, 1, 3);
        db.on_wavelengths = [&](const QString& result_id) {
            if (result_id == QLatin1String("{R-1}")) {
                ASSERT_TRUE(QFile::rename(markers + QStringLiteral("/DemoCoating"),
                                          markers + QStringLiteral("/Other")));
            }
        };
        auto q = progress(source_kind::lumotrax_q);
        engine_.run_step(*q, db);
        EXPECT_EQ(files(folder("T")), QStringList{q_name(1)});
        EXPECT_EQ(files(other), (QStringList{q_name(2), q_name(3)}));
        EXPECT_EQ(engine_.product, QStringLiteral("Other"));
    }
}

// A database lost midway, or a program killed midway: what was delivered is not written
// again, also after a restart from the stored files.
TEST_F(pass_engine_test, records_delivered_before_a_break_are_not_written_again) {
    memory_source db(source_kind::lumotrax_q);
    add_q(db, 1, 6);
    db.on_wavelengths = [](const QString& result_id) {
        if (result_id == QLatin1String("{R-4}"))
            throw std::runtime_error("The connection was lost.");
    };
    auto q = progress(source_kind::lumotrax_q);
    engine_.run_step(*q, db);
    EXPECT_EQ(take_files(folder("T")), (QStringList{q_name(1), q_name(2), q_name(3)}));
    EXPECT_EQ(q->index, 0);

    // A new run reads what the first stored.
    auto restarted = progress(source_kind::lumotrax_q);
    restarted->load();
    EXPECT_EQ(restarted->handled.lines(), QStringList{QStringLiteral("1-3")});
    db.on_wavelengths = nullptr;
    engine_.run_step(*restarted, db);
    EXPECT_EQ(take_files(folder("T")), (QStringList{q_name(4), q_name(5), q_name(6)}));
    EXPECT_EQ(restarted->index, 6);
    EXPECT_TRUE(restarted->handled.empty());
}

TEST_F(pass_engine_test, a_channel_the_product_lacks_counts_as_handled) {
    memory_source db(source_kind::lumotrax_q);
    add_q(db, 1, 2);
    db.row(2).fields[QStringLiteral("resultname")] = QStringLiteral("Unknown");
    auto q = progress(source_kind::lumotrax_q);
    engine_.run_step(*q, db);
    engine_.post_unwritten_folders();
    EXPECT_EQ(take_files(folder("T")), QStringList{q_name(1)});
    EXPECT_EQ(q->index, 2);
    EXPECT_FALSE(q->health.failing());
    EXPECT_TRUE(board_has(QStringLiteral("1 records not written: folder")));
}

// Fields that do not convert are the record's fault: the others of the pass get through.
TEST_F(pass_engine_test, records_with_fields_that_do_not_convert_are_set_aside) {
    const std::vector<std::pair<const char*, const char*>> bad{
        {"measpointindex", "seven"},
        {"longitudinalpositionrelativemm", "NaN"},
        {"lateralpositionrelativemm", "12,5"},
    };
    for (source_kind kind :
         {source_kind::lumotrax_q, source_kind::lumotrax_p, source_kind::sheet_resistance}) {
        for (const auto& [column, value] : bad) {
            SCOPED_TRACE(std::string(column) + " " + std::to_string(static_cast<int>(kind)));
            if (kind == source_kind::lumotrax_p && QLatin1String(column) == "measpointindex")
                continue; // P names files by the record's own position alone
            memory_source db(kind);
            add_q(db, 1, 3);
            db.row(2).fields[QString::fromLatin1(column)] = QString::fromLatin1(value);
            auto source = progress(kind);
            for (int pass = 0; pass < 3; ++pass)
                engine_.run_step(*source, db);
            const QString where =
                kind == source_kind::sheet_resistance ? results_folder() : folder("T");
            EXPECT_EQ(take_files(where).size(), 2);
            EXPECT_EQ(source->index, 3);
            EXPECT_EQ(source->set_aside.lines(), QStringList{QStringLiteral("2")});
        }
    }
}

} // namespace
