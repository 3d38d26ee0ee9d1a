#include "tools/pack/tallyreport.h"

#include "tally/tallyfile.h"
#include "tally/tallyrecord.h"

#include <iomanip>
#include <ostream>

namespace {

std::string text(const QString &value)
{
    return value.toStdString();
}

} // namespace

void printTally(const std::string &path, std::ostream &out)
{
    TallyRecord record;
    tallyfile::load(QString::fromStdString(path), record);
    record.loadtally();
    out << "Total games:     " << text(record.cell(1, 0)) << '\n'
        << "Games cleared:   " << text(record.cell(2, 0)) << '\n'
        << "Win percentage:  " << text(record.cell(3, 0)) << "%\n\n"
        << "Rank  Score  Date          Name\n";
    for (int rank = 1; rank <= TallyRecord::ranks; ++rank) {
        out << std::setw(4) << rank << "  " << std::setw(5) << text(record.scoreCaption(rank))
            << "  " << std::left << std::setw(12) << text(record.date(rank)) << "  "
            << text(record.name(rank)) << std::right << '\n';
    }
}
