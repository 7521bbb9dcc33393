#pragma once

#include "MemoFixtures.h"
#include "TestHome.h"
#include "store/MemoStore.h"

#include <gtest/gtest.h>
#include <memory>

// A fresh database made from the template in a scratch home, open in `store`.
class StoreFixture : public ::testing::Test
{
protected:
    TestHome home;
    QString dbPath = home.file(QStringLiteral("diary.mdb"));
    std::unique_ptr<MemoStore> store;

    void SetUp() override
    {
        MemoFixtures::createDatabase(home.path(), dbPath);
        store = std::make_unique<MemoStore>(dbPath);
    }
};
