#include "DocumentCommands.h"

#include "BookOcrCommands.h"
#include "ImageAcquisition.h"
#include "OcrService.h"
#include "PageSequenceMenu.h"
#include "PageTransformMenu.h"
#include "ScanCommands.h"
#include "SaveCommands.h"
#include "frmSample.h"

namespace palvenor {

void attachDocumentCommands(frmSample& window, OcrService& ocr) {
    window.saveCommand = [&window] { return SaveCommands(window).mnuSave_Click(); };
    window.saveAsCommand = [&window] { return SaveCommands(window).mnuSaveAs_Click(); };
    window.resaveCommand = [&window] { SaveCommands(window).mnuResave_Click(); };
    window.ocrCommand = [&window, &ocr] { ocr.mnuOCR_Click(window); };
    installPageSequenceCommands(window);
    installPageTransformCommands(window);
    acquire::installAcquisitionCommands(window);
    installScanCommands(window);
    installBookOcrCommands(window, ocr);
}

}  // namespace palvenor
