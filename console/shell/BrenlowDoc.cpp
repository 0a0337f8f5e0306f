#include "BrenlowDoc.h"

#include "BrenlowView.h"
#include "KprotChannel.h"

bool CBrenlowDoc::GetPresetAddress(QString *address) const
{
    *address = m_presetAddress;
    return !m_presetAddress.isEmpty();
}

void CBrenlowDoc::SetTitle(const QString &)
{
    m_title = m_view ? m_view->GetChannel()->GetHost() : QString();
}

bool CBrenlowDoc::OnNewDocument() const
{
    return m_view && m_view->GetChannel()->IsOpen();
}
