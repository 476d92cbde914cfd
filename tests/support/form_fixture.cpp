#include "form_fixture.h"

#include <QFile>

FormFixture::FormFixture() = default;

QString FormFixture::path(const QString& fileName) const
{
    return folder.filePath(fileName);
}

void FormFixture::writeFile(const QString& fileName, const QByteArray& contents) const
{
    QFile file(path(fileName));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contents);
}

QByteArray FormFixture::readFile(const QString& fileName) const
{
    QFile file(path(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Form1& FormFixture::make()
{
    window = std::make_unique<Form1>(desktop, folder.path());
    return *window;
}
