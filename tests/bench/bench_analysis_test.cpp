// The arithmetic behind the benches' figures: a wrong rank would print
// plausible numbers that mean nothing.
#include "bench/summary.h"

#include <QTest>

#include <vector>

class BenchAnalysisTest : public QObject {
    Q_OBJECT

private slots:
    void percentiles_data()
    {
        QTest::addColumn<std::vector<double>>("samples");
        QTest::addColumn<int>("percent");
        QTest::addColumn<double>("expected");
        QTest::newRow("median of an even count: the lower") << std::vector<double>{4, 1, 3, 2} << 50 << 2.0;
        QTest::newRow("median of an odd count") << std::vector<double>{5, 1, 3} << 50 << 3.0;
        QTest::newRow("p99 of few: the largest") << std::vector<double>{4, 1, 3, 2} << 99 << 4.0;
        QTest::newRow("none") << std::vector<double>{} << 50 << 0.0;
    }

    void percentiles()
    {
        QFETCH(std::vector<double>, samples);
        QFETCH(int, percent);
        QTEST(percentile(samples, static_cast<std::size_t>(percent)), "expected");
    }
};

QTEST_APPLESS_MAIN(BenchAnalysisTest)
#include "bench_analysis_test.moc"
