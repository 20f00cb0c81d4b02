#include "parse/ResultReaders.h"

#include "parse/BlastJsonReader.h"
#include "parse/BlastPlusTextReader.h"
#include "parse/BlastTabularReader.h"
#include "parse/BlastXmlReader.h"
#include "parse/WholeReportReader.h"

namespace blastsearch {

std::unique_ptr<CResultReader> MakeResultReader(ReportLayout layout, CReportSource& source,
                                                const CResultReadOptions& options) {
  switch (layout) {
    case ReportLayout::BlastPlusText:
      return MakeBlastPlusTextReader(source, options, false);
    case ReportLayout::BlastPlusHtml:
      return MakeBlastPlusTextReader(source, options, true);
    case ReportLayout::BlastXml:
      return MakeBlastXmlReader(source, options, false);
    case ReportLayout::BlastXml2:
      return MakeBlastXmlReader(source, options, true);
    case ReportLayout::BlastJson:
      return MakeBlastJsonReader(source, options);
    case ReportLayout::Tabular:
    case ReportLayout::CommentedTabular:
    case ReportLayout::Csv:
      return MakeBlastTabularReader(source, options, layout);
    case ReportLayout::QBlast:
    case ReportLayout::Classic:
    case ReportLayout::QueryAnchored:
      return std::make_unique<CWholeReportReader>(layout, source, options);
    case ReportLayout::Unknown:
      return nullptr;  // no reader: the caller refuses the report by its layout's name
  }
  return nullptr;
}

}  // namespace blastsearch
