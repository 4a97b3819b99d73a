-- The empty database: every table but Acct, which the program makes itself.
-- Moments are REAL days since 1899-12-30 (local time); amounts are INTEGER
-- ten-thousandths of a yuan (declared CURRENCY); text compares ignoring case.
CREATE TABLE Car (
  CarID       VARCHAR(100) COLLATE NOCASE NOT NULL PRIMARY KEY,
  State       VARCHAR(1)   COLLATE NOCASE,
  Style       VARCHAR(50)  COLLATE NOCASE,
  Mark        VARCHAR(50)  COLLATE NOCASE,
  Color       VARCHAR(50)  COLLATE NOCASE,
  MotorID     VARCHAR(50)  COLLATE NOCASE,
  Odograph    INTEGER,
  Defend      INTEGER,
  Pledge      VARCHAR(50)  COLLATE NOCASE,
  BuyDate     DATETIME,
  CheckDate   DATETIME,
  Description VARCHAR(255) COLLATE NOCASE
);
CREATE INDEX Car_State ON Car(State);

CREATE TABLE Customer (
  CustID        VARCHAR(50)  COLLATE NOCASE NOT NULL PRIMARY KEY,
  CardType      VARCHAR(50)  COLLATE NOCASE,
  CustName      VARCHAR(50)  COLLATE NOCASE,
  Tel           VARCHAR(100) COLLATE NOCASE,
  Address       VARCHAR(255) COLLATE NOCASE,
  Memo          VARCHAR(200) COLLATE NOCASE,
  BankCard      VARCHAR(50)  COLLATE NOCASE,
  BankCard_Memo VARCHAR(100) COLLATE NOCASE
);
CREATE INDEX Customer_Name ON Customer(CustName);
CREATE INDEX Customer_BankCard ON Customer(BankCard);

CREATE TABLE PriceList (
  PriceName       VARCHAR(50) COLLATE NOCASE NOT NULL PRIMARY KEY,
  LeasoType       INTEGER,
  BasicPrice      CURRENCY,
  [Limit]         INTEGER,
  AdditionalPrice CURRENCY
);

CREATE TABLE Leaso (
  LeasoID         INTEGER PRIMARY KEY AUTOINCREMENT,
  CarID           VARCHAR(50)  COLLATE NOCASE,
  CustID          VARCHAR(50)  COLLATE NOCASE,
  LeasoType       INTEGER,
  BeginTime       DATETIME,
  PlanEndTime     DATETIME,
  EndTime         DATETIME,
  BasicPrice      CURRENCY,
  [Limit]         INTEGER,
  AdditionalPrice CURRENCY,
  Prepay          CURRENCY,
  Odograph1       INTEGER,
  Odograph2       INTEGER,
  Memo            VARCHAR(255) COLLATE NOCASE,
  CreateTime      DATETIME,
  ChangeCar       BOOLEAN NOT NULL DEFAULT 0,
  Charge          CURRENCY,
  ChargeTime      DATETIME
);
CREATE INDEX Leaso_CarID ON Leaso(CarID);
CREATE INDEX Leaso_CustID ON Leaso(CustID);
CREATE INDEX Leaso_BeginTime ON Leaso(BeginTime);
CREATE INDEX Leaso_EndTime ON Leaso(EndTime);
CREATE INDEX Leaso_ChargeTime ON Leaso(ChargeTime);

CREATE TABLE CarCost (
  CostID     INTEGER PRIMARY KEY AUTOINCREMENT,
  CarID      VARCHAR(50)  COLLATE NOCASE,
  Name       VARCHAR(50)  COLLATE NOCASE,
  Cost       CURRENCY,
  BeginTime  DATETIME,
  EndTime    DATETIME,
  Content    VARCHAR(255) COLLATE NOCASE,
  CreateTime DATETIME
);
CREATE INDEX CarCost_CarID ON CarCost(CarID);

CREATE TABLE ChangeCar (
  ID       INTEGER PRIMARY KEY AUTOINCREMENT,
  LeasoID  INTEGER,
  OldCarID VARCHAR(50) COLLATE NOCASE,
  NewCarID VARCHAR(50) COLLATE NOCASE
);
CREATE INDEX ChangeCar_LeasoID ON ChangeCar(LeasoID);

CREATE TABLE Config (
  Item  VARCHAR(50)  COLLATE NOCASE NOT NULL PRIMARY KEY,
  Value VARCHAR(255) COLLATE NOCASE
);
